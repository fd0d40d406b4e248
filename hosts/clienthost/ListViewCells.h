#pragma once

#include <windows.h>

#include <string>

// What a list-view control of the plug-in shows, read as the user sees it.
namespace ListViewCells {

std::string CellText(HWND view, int row, int column);
int RowCount(HWND view);

}  // namespace ListViewCells
