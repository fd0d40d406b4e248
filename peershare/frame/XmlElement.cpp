#include "frame/XmlElement.h"

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <typeinfo>

#include "frame/XmlCodePage.h"
#include "frame/XmlArena.h"
#include "frame/XmlNamePool.h"
#include "frame/XmlWriter.h"

struct XmlElement::Details {
  Bytes text;
  AttributeSlot* attributes = nullptr;
  uint32_t attributeCount = 0;
  uint32_t attributeCapacity = 0;
  // What Text() and Attributes() handed out, kept in step with the bytes.
  std::string* textView = nullptr;
  std::vector<Attribute>* attributeView = nullptr;
};

namespace {

constexpr uintptr_t kOwnedName = 1;
// A deep clone of at least this many elements takes an arena of its own.
constexpr size_t kPrivateArenaElements = 256;

void* Allocate(XmlArena* arena, size_t size) {
  return arena != nullptr ? arena->Allocate(size) : XmlArena::AllocateShared(size);
}

const char* CopyBytes(const char* text, size_t length, XmlArena* arena) {
  if (length == 0) return nullptr;
  if (length >= 0x80000000u) throw std::length_error("text too long for a document");
  auto* copy = static_cast<char*>(Allocate(arena, length));
  std::memcpy(copy, text, length);
  return copy;
}

const std::string& EmptyString() {
  static const std::string empty;
  return empty;
}

const std::vector<XmlElement::Attribute>& EmptyAttributes() {
  static const std::vector<XmlElement::Attribute> empty;
  return empty;
}

// The pool's copy of a name, or a new one of the caller's own.
const std::string* NameFor(const std::string& name, bool& owned) {
  if (name.empty()) {
    owned = false;
    return &EmptyString();
  }
  const std::string* pooled = XmlNamePool::Find(name.data(), name.size());
  owned = pooled == nullptr;
  return owned ? new std::string(name) : pooled;
}

// Visits the descendants of `root` in document order (pre-order), or only its
// children when not `recursive`, until `visit` answers true; that element.
template <typename Visit>
XmlElement* WalkInDocumentOrder(const XmlElement& root, bool recursive, Visit visit) {
  struct Position {
    const XmlElement* element;
    size_t next;
  };
  std::vector<Position> path{{&root, 0}};
  while (!path.empty()) {
    Position& top = path.back();
    if (top.next == top.element->ChildCount()) {
      path.pop_back();
      continue;
    }
    XmlElement* child = top.element->Child(top.next++);
    if (visit(child)) return child;
    if (recursive && child->ChildCount() > 0) path.push_back({child, 0});
  }
  return nullptr;
}

size_t CountDescendants(const XmlElement& root, size_t enough) {
  size_t count = 0;
  WalkInDocumentOrder(root, true, [&count, enough](XmlElement*) { return ++count >= enough; });
  return count;
}

}  // namespace

bool XmlElement::Bytes::Equals(const char* text, size_t length) const {
  return Length() == length && (length == 0 || std::memcmp(data, text, length) == 0);
}

// --- creation and destruction ----------------------------------------------

void* XmlElement::operator new(size_t size) { return XmlArena::AllocateShared(size); }
void* XmlElement::operator new(size_t size, XmlArena& arena) { return arena.Allocate(size); }
void XmlElement::operator delete(void* memory, size_t size) noexcept { XmlArena::Free(memory, size); }
void XmlElement::operator delete(void* memory, XmlArena&) noexcept { XmlArena::Free(memory, sizeof(XmlElement)); }

XmlElement::XmlElement(std::string name) {
  bool owned = false;
  const std::string* stored = NameFor(name, owned);
  name_ = reinterpret_cast<uintptr_t>(stored) | (owned ? kOwnedName : 0);
}

XmlElement::XmlElement(const std::string* name, bool ownedName, XmlElement* parent) noexcept
    : parent_(parent), name_(reinterpret_cast<uintptr_t>(name) | (ownedName ? kOwnedName : 0)) {}

XmlElement::~XmlElement() {
  DeleteChildren();
  XmlArena::FreeBatch batch;
  FreeStorage(batch);
}

XmlElement* XmlElement::NewElement(const std::string& name) { return new XmlElement(name); }

// Deletes the subtree from its last leaf upwards: each element is deleted
// once it has no children left, so no deletion ever recurses.
void XmlElement::DeleteChildren() {
  XmlArena::FreeBatch batch;
  XmlElement* element = this;
  while (element != this || element->childCount_ > 0) {
    if (element->childCount_ > 0) {
      element = element->children_[element->childCount_ - 1];
      continue;
    }
    XmlElement* parent = element->parent_;
    --parent->childCount_;
    element->parent_ = nullptr;
    if (typeid(*element) == typeid(XmlElement)) {
      element->FreeStorage(batch);
      element->~XmlElement();
      batch.Free(element, sizeof(XmlElement));
    } else {
      delete element;
    }
    element = parent;
  }
}

void XmlElement::FreeStorage(XmlArena::FreeBatch& batch) noexcept {
  if (Details* details = details_) {
    delete details->textView;
    delete details->attributeView;
    batch.Free(const_cast<char*>(details->text.data), details->text.Length());
    for (uint32_t i = 0; i < details->attributeCount; ++i) {
      const AttributeSlot& slot = details->attributes[i];
      if ((slot.name.size & kBorrowed) == 0) batch.Free(const_cast<char*>(slot.name.data), slot.name.Length());
      batch.Free(const_cast<char*>(slot.value.data), slot.value.Length());
    }
    batch.Free(details->attributes, details->attributeCapacity * sizeof(AttributeSlot));
    details->~Details();
    batch.Free(details, sizeof(Details));
    details_ = nullptr;
  }
  if (children_ != nullptr) {
    size_t capacity = reinterpret_cast<uintptr_t>(children_[-1]);
    batch.Free(children_ - 1, (capacity + 1) * sizeof(XmlElement*));
    children_ = nullptr;
    childCount_ = 0;
  }
  if (name_ & kOwnedName) delete reinterpret_cast<const std::string*>(name_ & ~kOwnedName);
  name_ = reinterpret_cast<uintptr_t>(&EmptyString());
}

void XmlElement::Release() {
  DeleteChildren();
  delete Detach();
}

// --- storage -----------------------------------------------------------------

XmlElement::Details& XmlElement::EnsureDetails(XmlArena* arena) {
  if (details_ == nullptr) details_ = new (Allocate(arena, sizeof(Details))) Details();
  return *details_;
}

void XmlElement::AppendChild(XmlElement* child, XmlArena* arena) {
  size_t capacity = children_ != nullptr ? reinterpret_cast<uintptr_t>(children_[-1]) : 0;
  if (childCount_ == capacity) {
    size_t grown = capacity == 0 ? 2 : capacity * 2;
    if (grown > 0xFFFFFFFFu) throw std::length_error("too many children");
    auto** block = static_cast<XmlElement**>(Allocate(arena, (grown + 1) * sizeof(XmlElement*)));
    block[0] = reinterpret_cast<XmlElement*>(grown);
    if (childCount_ > 0) std::memcpy(block + 1, children_, childCount_ * sizeof(XmlElement*));
    if (children_ != nullptr) XmlArena::Free(children_ - 1, (capacity + 1) * sizeof(XmlElement*));
    children_ = block + 1;
  }
  children_[childCount_++] = child;
  child->parent_ = this;
}

XmlElement::Bytes XmlElement::TextBytes() const { return details_ != nullptr ? details_->text : Bytes(); }

void XmlElement::SetTextBytes(const char* text, size_t length, XmlArena* arena) {
  if (length == 0 && (details_ == nullptr || details_->text.size == 0)) return;
  Details& details = EnsureDetails(arena);
  const char* copy = CopyBytes(text, length, arena);
  if (details.textView != nullptr) {
    try {
      details.textView->assign(text, length);
    } catch (...) {
      XmlArena::Free(const_cast<char*>(copy), length);
      throw;
    }
  }
  XmlArena::Free(const_cast<char*>(details.text.data), details.text.Length());
  details.text = {copy, static_cast<uint32_t>(length)};
}

void XmlElement::ReserveAttributes(uint32_t count, XmlArena* arena) {
  Details& details = EnsureDetails(arena);
  if (count <= details.attributeCapacity) return;
  auto* slots = static_cast<AttributeSlot*>(Allocate(arena, count * sizeof(AttributeSlot)));
  if (details.attributeCount > 0) std::memcpy(slots, details.attributes, details.attributeCount * sizeof(AttributeSlot));
  XmlArena::Free(details.attributes, details.attributeCapacity * sizeof(AttributeSlot));
  details.attributes = slots;
  details.attributeCapacity = count;
}

void XmlElement::AppendAttribute(const char* name, size_t nameLength, const char* value, size_t valueLength,
                                 XmlArena* arena, bool nameBorrowed) {
  Details& details = EnsureDetails(arena);
  if (details.attributeCount == details.attributeCapacity) {
    if (details.attributeCapacity >= 0x40000000u) throw std::length_error("too many attributes");
    ReserveAttributes(details.attributeCapacity == 0 ? 2 : details.attributeCapacity * 2, arena);
  }
  AttributeSlot slot;
  slot.name = nameBorrowed ? Bytes{name, static_cast<uint32_t>(nameLength) | kBorrowed}
                           : Bytes{CopyBytes(name, nameLength, arena), static_cast<uint32_t>(nameLength)};
  try {
    slot.value = {CopyBytes(value, valueLength, arena), static_cast<uint32_t>(valueLength)};
    if (details.attributeView != nullptr) {
      details.attributeView->emplace_back(std::string(name, nameLength), std::string(value, valueLength));
    }
  } catch (...) {
    if (!nameBorrowed) XmlArena::Free(const_cast<char*>(slot.name.data), nameLength);
    XmlArena::Free(const_cast<char*>(slot.value.data), slot.value.Length());
    throw;
  }
  details.attributes[details.attributeCount++] = slot;
}

uint32_t XmlElement::AttributeCount() const { return details_ != nullptr ? details_->attributeCount : 0; }

const XmlElement::AttributeSlot* XmlElement::AttributeSlots() const {
  return details_ != nullptr ? details_->attributes : nullptr;
}

const XmlElement::AttributeSlot* XmlElement::FindAttribute(const char* name, size_t length) const {
  const AttributeSlot* slots = AttributeSlots();
  for (uint32_t i = 0, count = AttributeCount(); i < count; ++i)
    if (slots[i].name.Equals(name, length)) return &slots[i];
  return nullptr;
}

// --- names, texts and attributes ---------------------------------------------

const std::string& XmlElement::Name() const { return *reinterpret_cast<const std::string*>(name_ & ~kOwnedName); }

const std::string& XmlElement::Text() const {
  if (details_ == nullptr || details_->text.size == 0) {
    if (details_ != nullptr && details_->textView != nullptr) return *details_->textView;
    return EmptyString();
  }
  if (details_->textView == nullptr) details_->textView = new std::string(details_->text.data, details_->text.Length());
  return *details_->textView;
}

void XmlElement::SetText(std::string text) {
  XmlCodePage::MakeStorable(text, XmlCodePage::StoredAs::Text);
  SetTextBytes(text.data(), text.size(), nullptr);
}

const std::vector<XmlElement::Attribute>& XmlElement::Attributes() const {
  if (AttributeCount() == 0) return EmptyAttributes();
  if (details_->attributeView == nullptr) {
    auto view = std::make_unique<std::vector<Attribute>>();
    view->reserve(details_->attributeCount);
    for (uint32_t i = 0; i < details_->attributeCount; ++i) {
      const AttributeSlot& slot = details_->attributes[i];
      view->emplace_back(std::string(slot.name.data, slot.name.Length()),
                         std::string(slot.value.data, slot.value.Length()));
    }
    details_->attributeView = view.release();
  }
  return *details_->attributeView;
}

void XmlElement::SetAttribute(const std::string& name, const std::string& value) {
  std::string storable = value;
  XmlCodePage::MakeStorable(storable, XmlCodePage::StoredAs::AttributeValue);
  auto* slot = const_cast<AttributeSlot*>(FindAttribute(name.data(), name.size()));
  if (slot == nullptr) {
    AppendAttribute(name.data(), name.size(), storable.data(), storable.size(), nullptr, false);
    return;
  }
  const char* copy = CopyBytes(storable.data(), storable.size(), nullptr);
  if (details_->attributeView != nullptr) (*details_->attributeView)[slot - details_->attributes].second = storable;
  XmlArena::Free(const_cast<char*>(slot->value.data), slot->value.Length());
  slot->value = {copy, static_cast<uint32_t>(storable.size())};
}

void XmlElement::GetAttribute(const std::string& name, std::string& out) const {
  const AttributeSlot* slot = FindAttribute(name.data(), name.size());
  if (slot == nullptr) {
    out.clear();
  } else {
    out.assign(slot->value.data, slot->value.Length());
  }
}

bool XmlElement::HasText(const std::string& text) const { return TextBytes().Equals(text.data(), text.size()); }

// --- lookups -------------------------------------------------------------------

bool XmlElement::Qualifies(const char* name, const char* attrName, const char* attrValue, bool wantEqual) const {
  if (name != nullptr && Name() != name) return false;
  if (attrName == nullptr) return true;
  const AttributeSlot* slot = FindAttribute(attrName, std::strlen(attrName));
  if (slot == nullptr) return false;
  return attrValue == nullptr || slot->value.Equals(attrValue, std::strlen(attrValue)) == wantEqual;
}

void XmlElement::FindAll(List& out, bool recursive, const char* name, const char* attrName, const char* attrValue,
                         bool wantEqual) const {
  WalkInDocumentOrder(*this, recursive, [&](XmlElement* element) {
    if (element->Qualifies(name, attrName, attrValue, wantEqual)) out.push_back(element);
    return false;
  });
}

XmlElement* XmlElement::FindFirst(bool recursive, const char* name, const char* attrName,
                                  const char* attrValue) const {
  return WalkInDocumentOrder(*this, recursive, [&](XmlElement* element) {
    return element->Qualifies(name, attrName, attrValue, true);
  });
}

XmlElement* XmlElement::FindByText(bool recursive, const char* name, const std::string& text) const {
  return WalkInDocumentOrder(*this, recursive, [&](XmlElement* element) {
    return (name == nullptr || element->Name() == name) && element->HasText(text);
  });
}

void XmlElement::GetChildText(const std::string& childName, std::string& out) const {
  for (uint32_t i = 0; i < childCount_; ++i) {
    if (children_[i]->Name() == childName) {
      Bytes text = children_[i]->TextBytes();
      out.assign(text.data, text.Length());
      return;
    }
  }
  out.clear();
}

// --- structure -------------------------------------------------------------------

bool XmlElement::IsDescendantOf(const XmlElement* element) const {
  for (const XmlElement* at = this; at != nullptr; at = at->parent_)
    if (at == element) return true;
  return false;
}

XmlElement* XmlElement::Detach() {
  XmlElement* parent = parent_;
  parent_ = nullptr;
  if (parent == nullptr) return this;
  // A clone carries its original's parent pointer without being its child.
  for (uint32_t i = parent->childCount_; i-- > 0;) {
    if (parent->children_[i] == this) {
      std::memmove(parent->children_ + i, parent->children_ + i + 1, (parent->childCount_ - i - 1) * sizeof(XmlElement*));
      --parent->childCount_;
      break;
    }
  }
  return this;
}

void XmlElement::AddChild(XmlElement* child) {
  if (child == nullptr || IsDescendantOf(child)) return;
  XmlElement* formerParent = child->parent_;
  child->Detach();
  try {
    AppendChild(child, nullptr);
  } catch (...) {
    // No room for it here: it goes back where it was, at the end.
    if (formerParent != nullptr) formerParent->AppendChild(child, nullptr);
    throw;
  }
}

void XmlElement::SetChildText(const std::string& name, const std::string& text) {
  for (uint32_t i = 0; i < childCount_; ++i) {
    if (children_[i]->Name() == name) {
      children_[i]->SetText(text);
      return;
    }
  }
  auto* child = new XmlElement(name);
  try {
    child->SetText(text);
    AppendChild(child, nullptr);
  } catch (...) {
    delete child;
    throw;
  }
}

void XmlElement::RemoveChild(XmlElement* child) {
  if (child == nullptr || child->parent_ != this) return;
  child->Release();  // the tree's own release: the child's subtree goes with it
}

// One pass over the children, so that removing many (a save with 100,000
// download items) stays linear.
void XmlElement::RemoveChildrenNamed(const std::string& name) {
  uint32_t kept = 0;
  for (uint32_t i = 0; i < childCount_; ++i) {
    XmlElement* child = children_[i];
    if (child->Name() != name) {
      children_[kept++] = child;
      continue;
    }
    child->parent_ = nullptr;  // already out of the list: Release need not search it
    child->Release();
  }
  childCount_ = kept;
}

// --- copies and text form ---------------------------------------------------------

XmlElement* XmlElement::CloneShallow(XmlArena* arena) const {
  bool owned = (name_ & kOwnedName) != 0;
  std::unique_ptr<std::string> ownName(owned ? new std::string(Name()) : nullptr);
  const std::string* name = owned ? ownName.get() : &Name();
  auto* clone = arena != nullptr ? new (*arena) XmlElement(name, owned, nullptr)
                                 : new XmlElement(name, owned, nullptr);
  static_cast<void>(ownName.release());
  try {
    Bytes text = TextBytes();
    clone->SetTextBytes(text.data, text.Length(), arena);
    if (uint32_t count = AttributeCount()) {
      clone->ReserveAttributes(count, arena);
      for (uint32_t i = 0; i < count; ++i) {
        const AttributeSlot& slot = details_->attributes[i];
        clone->AppendAttribute(slot.name.data, slot.name.Length(), slot.value.data, slot.value.Length(), arena,
                               (slot.name.size & kBorrowed) != 0);
      }
    }
  } catch (...) {
    delete clone;
    throw;
  }
  return clone;
}

XmlElement* XmlElement::Clone(bool deep) const {
  XmlElement* clone = nullptr;
  try {
    clone = CloneShallow(nullptr);
    clone->parent_ = parent_;
    if (deep) CloneChildrenInto(*clone);
  } catch (...) {
    if (clone != nullptr) {
      clone->parent_ = nullptr;
      delete clone;
    }
    return nullptr;
  }
  return clone;
}

// Copies the subtree level by level with a list of pending positions, never
// by recursion; a large copy takes an arena of its own.
void XmlElement::CloneChildrenInto(XmlElement& clone) const {
  std::unique_ptr<XmlArena> ownArena;
  if (CountDescendants(*this, kPrivateArenaElements) >= kPrivateArenaElements) ownArena = std::make_unique<XmlArena>();
  XmlArena* arena = ownArena.get();
  struct Pending {
    const XmlElement* original;
    size_t next;
    XmlElement* copy;
  };
  std::vector<Pending> path{{this, 0, &clone}};
  while (!path.empty()) {
    Pending& top = path.back();
    if (top.next == top.original->childCount_) {
      path.pop_back();
      continue;
    }
    const XmlElement* child = top.original->children_[top.next++];
    XmlElement* copy = nullptr;
    if (typeid(*child) == typeid(XmlElement)) {
      copy = child->CloneShallow(arena);
    } else {
      copy = child->Clone(false);
      if (copy == nullptr) throw std::bad_alloc();
    }
    XmlElement* parentCopy = top.copy;
    try {
      parentCopy->AppendChild(copy, arena);
    } catch (...) {
      delete copy;
      throw;
    }
    if (child->childCount_ > 0) path.push_back({child, 0, copy});
  }
}

void XmlElement::Write(std::string& buffer) const {
  XmlWriter writer(buffer);
  writer.Element(*this);
  writer.Finish();
}
