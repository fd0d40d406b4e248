#include "frame/XmlArena.h"

#include <windows.h>

#include <cstdint>
#include <new>

// While a block is open its count carries a bias, so that frees of its
// allocations from other threads never bring it to zero before the arena has
// added what it handed out.
struct XmlArena::Block {
  volatile LONG live;
  Block* nextSpare;
};

namespace {

constexpr LONG kOpenBias = 1L << 30;
// At most this many emptied blocks (16 MiB) wait for reuse.
constexpr long kMaxSpareBlocks = 256;

size_t Rounded(size_t size, size_t alignment) { return (size + alignment - 1) & ~(alignment - 1); }

SRWLOCK sharedLock = SRWLOCK_INIT;
SRWLOCK spareLock = SRWLOCK_INIT;
void* spareBlocks = nullptr;
long spareCount = 0;

XmlArena& SharedArena() {
  // Never destroyed: elements may be freed during the process's exit.
  static XmlArena* arena = new XmlArena();
  return *arena;
}

}  // namespace

XmlArena::~XmlArena() { CloseBlock(); }

XmlArena::Block* XmlArena::TakeSpareBlock() noexcept {
  AcquireSRWLockExclusive(&spareLock);
  auto* block = static_cast<Block*>(spareBlocks);
  if (block != nullptr) {
    spareBlocks = block->nextSpare;
    --spareCount;
  }
  ReleaseSRWLockExclusive(&spareLock);
  return block;
}

void XmlArena::GiveBack(Block* block) noexcept {
  AcquireSRWLockExclusive(&spareLock);
  bool kept = spareCount < kMaxSpareBlocks;
  if (kept) {
    block->nextSpare = static_cast<Block*>(spareBlocks);
    spareBlocks = block;
    ++spareCount;
  }
  ReleaseSRWLockExclusive(&spareLock);
  if (!kept) VirtualFree(block, 0, MEM_RELEASE);
}

void XmlArena::ReleaseSpareBlocks() noexcept {
  while (Block* block = TakeSpareBlock()) VirtualFree(block, 0, MEM_RELEASE);
}

void XmlArena::OpenBlock() {
  // VirtualAlloc hands out memory at 64 KiB boundaries, so any allocation
  // finds its block by rounding its address down.
  void* memory = TakeSpareBlock();
  if (memory == nullptr) memory = VirtualAlloc(nullptr, kBlockSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (memory == nullptr) throw std::bad_alloc();
  CloseBlock();
  block_ = static_cast<Block*>(memory);
  block_->live = kOpenBias;
  next_ = static_cast<char*>(memory) + Rounded(sizeof(Block), kAlignment);
  end_ = static_cast<char*>(memory) + kBlockSize;
  allocated_ = 0;
}

void XmlArena::CloseBlock() noexcept {
  if (block_ == nullptr) return;
  Release(block_, kOpenBias - allocated_);
  block_ = nullptr;
  next_ = end_ = nullptr;
}

XmlArena::Block* XmlArena::BlockOf(void* memory) noexcept {
  return reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(memory) & ~(uintptr_t{kBlockSize} - 1));
}

void XmlArena::Release(Block* block, long count) noexcept {
  if (InterlockedExchangeAdd(&block->live, -count) == count) GiveBack(block);
}

void* XmlArena::Allocate(size_t size) {
  if (size > kLargest) return ::operator new(size);
  size = Rounded(size == 0 ? 1 : size, kAlignment);
  if (static_cast<size_t>(end_ - next_) < size) OpenBlock();
  void* memory = next_;
  next_ += size;
  ++allocated_;
  return memory;
}

void XmlArena::Free(void* memory, size_t size) noexcept {
  if (memory == nullptr) return;
  if (size > kLargest) return ::operator delete(memory);
  Release(BlockOf(memory), 1);
}

void XmlArena::FreeBatch::Free(void* memory, size_t size) noexcept {
  if (memory == nullptr) return;
  if (size > kLargest) return ::operator delete(memory);
  Block* block = BlockOf(memory);
  if (block != block_) {
    Flush();
    block_ = block;
  }
  ++pending_;
}

void XmlArena::FreeBatch::Flush() noexcept {
  if (block_ != nullptr && pending_ > 0) Release(block_, pending_);
  block_ = nullptr;
  pending_ = 0;
}

void* XmlArena::AllocateShared(size_t size) {
  if (size > kLargest) return ::operator new(size);
  AcquireSRWLockExclusive(&sharedLock);
  void* memory = nullptr;
  try {
    memory = SharedArena().Allocate(size);
  } catch (...) {
    ReleaseSRWLockExclusive(&sharedLock);
    throw;
  }
  ReleaseSRWLockExclusive(&sharedLock);
  return memory;
}
