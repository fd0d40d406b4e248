#pragma once

// The four functions the peer-to-peer client finds in the plug-in. They are
// plain C functions (cdecl on i686: the caller pops the arguments), exported
// under their undecorated names; Initialize under its C++ decorated name.
class CWnd;
class HostClient;
class PluginInterface;

constexpr int kPluginType = 502;
// The client hands a name buffer of unstated size; the name is short, so
// never copy more than this.
constexpr int kPluginNameMax = 64;

extern "C" {
int getType();
void* getNameIcon(char* name);
PluginInterface* init(HostClient* host);
// Exported as "bool Initialize(CWnd*)" under its C++ decorated name.
bool PluginInitialize(CWnd* parent);
}
