#pragma once

#include <cstddef>

// Memory for the elements of document trees and for their names, texts and
// attributes. A parse or a deep clone takes its memory from an arena of its
// own, in 64 KiB blocks; each block counts the allocations still alive in it
// and is given back when the last of them is freed, whichever tree it ended
// up in and on whichever thread. Elements made one at a time share one arena
// under a lock.
class XmlArena {
  struct Block;

 public:
  // Allocations above this size come from the heap.
  static constexpr size_t kLargest = 4096;

  XmlArena() = default;
  // The open block then lives as long as its allocations.
  ~XmlArena();
  XmlArena(const XmlArena&) = delete;
  XmlArena& operator=(const XmlArena&) = delete;

  // `size` bytes aligned for any object of the tree; never null (throws
  // std::bad_alloc).
  void* Allocate(size_t size);
  // Frees what Allocate gave for the same `size`, from any arena.
  static void Free(void* memory, size_t size) noexcept;

  // Frees many allocations at once: consecutive ones from the same block
  // are counted together and the block is told once.
  class FreeBatch {
   public:
    FreeBatch() = default;
    ~FreeBatch() { Flush(); }
    FreeBatch(const FreeBatch&) = delete;
    FreeBatch& operator=(const FreeBatch&) = delete;
    void Free(void* memory, size_t size) noexcept;
    void Flush() noexcept;

   private:
    Block* block_ = nullptr;
    long pending_ = 0;
  };
  // Allocate through the shared arena.
  static void* AllocateShared(size_t size);
  // Emptied blocks wait for reuse, up to 16 MiB; this gives them back to the
  // system (when the library is unloaded).
  static void ReleaseSpareBlocks() noexcept;

 private:
  static constexpr size_t kBlockSize = 64 * 1024;
  static constexpr size_t kAlignment = alignof(void*) > 8 ? alignof(void*) : 8;

  void OpenBlock();
  void CloseBlock() noexcept;
  static Block* BlockOf(void* memory) noexcept;
  static void Release(Block* block, long count) noexcept;
  // A few emptied blocks are kept for the next parse, which then finds its
  // memory without the system having to supply and clear new pages.
  static Block* TakeSpareBlock() noexcept;
  static void GiveBack(Block* block) noexcept;

  Block* block_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;
  long allocated_ = 0;
};
