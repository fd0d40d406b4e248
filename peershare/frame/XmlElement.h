#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "frame/XmlArena.h"

// One element of the in-memory tree that holds every document of the plug-in.
// Names, attribute values and texts are 8-bit strings in the system code page.
// An element owns its children; removing a child deletes its whole subtree.
//
// Every operation that walks the tree does so with a loop, never by
// recursion, so no depth of nesting can exhaust a thread's stack. Texts and
// attribute values are stored so that they save and load back unchanged:
// "<", ">" and '"', a "?" of a text and an "&" of a value as their full-width
// forms, control characters as blanks (see XmlCodePage::MakeStorable).
//
// Elements live in XmlArena memory: create them with new or NewElement and
// free them with Release (or delete).
class XmlElement {
 public:
  using Attribute = std::pair<std::string, std::string>;
  using List = std::vector<XmlElement*>;

  explicit XmlElement(std::string name = std::string());
  XmlElement(const XmlElement&) = delete;
  XmlElement& operator=(const XmlElement&) = delete;

  // A new element with this one's name, text, attributes and parent pointer
  // (the clone is not among the parent's children); with `deep`, clones of
  // all children too. Null when memory runs out.
  virtual XmlElement* Clone(bool deep) const;
  // Appends the element's text form: no escaping, never the short form.
  virtual void Write(std::string& buffer) const;
  virtual void SetAttribute(const std::string& name, const std::string& value);
  // `out` becomes the value of the first attribute `name`, or empty.
  virtual void GetAttribute(const std::string& name, std::string& out) const;
  // Appends the children named `name` (any name when null) in document order,
  // descending into each child after testing it when `recursive`. With
  // `attrName` only children with that attribute qualify; with `attrValue`
  // too, its value must equal it (`wantEqual`) or differ from it.
  virtual void FindAll(List& out, bool recursive, const char* name, const char* attrName = nullptr,
                       const char* attrValue = nullptr, bool wantEqual = true) const;
  // The first element that FindAll would list with `wantEqual`, or null.
  virtual XmlElement* FindFirst(bool recursive, const char* name, const char* attrName = nullptr,
                                const char* attrValue = nullptr) const;
  // Deletes the subtree, detaches the element from its parent and destroys it.
  virtual void Release();
  // For std::unique_ptr: an element or document that is owned on its own
  // goes through Release, never a plain delete.
  struct Releaser {
    void operator()(XmlElement* element) const { element->Release(); }
  };
  virtual ~XmlElement();

  // Appends `child`, taking it from its former parent. An element cannot
  // become a child of itself or of its own descendant: that call does nothing.
  void AddChild(XmlElement* child);
  void SetChildText(const std::string& name, const std::string& text);
  void RemoveChild(XmlElement* child);
  // Removes every direct child named `name` in one pass, whatever their number.
  void RemoveChildrenNamed(const std::string& name);
  void GetChildText(const std::string& childName, std::string& out) const;
  XmlElement* FindByText(bool recursive, const char* name, const std::string& text) const;

  static XmlElement* NewElement(const std::string& name);

  const std::string& Name() const;
  // The text as a string; built on first use, so, like every other access to
  // a tree, not from two threads at once.
  const std::string& Text() const;
  void SetText(std::string text);
  XmlElement* Parent() const { return parent_; }
  // The attributes in order; built on first use and kept up to date.
  const std::vector<Attribute>& Attributes() const;
  size_t ChildCount() const { return childCount_; }
  XmlElement* Child(size_t index) const { return children_[index]; }

  // Elements come from the shared arena, or from a parse's or clone's own.
  static void* operator new(size_t size);
  static void* operator new(size_t size, XmlArena& arena);
  static void operator delete(void* memory, size_t size) noexcept;
  static void operator delete(void* memory, XmlArena& arena) noexcept;

 protected:
  void DeleteChildren();
  void CloneChildrenInto(XmlElement& clone) const;

 private:
  friend class XmlTreeBuilder;
  friend class XmlWriter;

  // A string in arena memory; `size` has its top bit set when the bytes are
  // not the element's own (an attribute name of the name pool).
  struct Bytes {
    const char* data = nullptr;
    uint32_t size = 0;
    size_t Length() const { return size & ~kBorrowed; }
    bool Equals(const char* text, size_t length) const;
  };
  struct AttributeSlot {
    Bytes name;
    Bytes value;
  };
  // Text and attributes; absent for an element that has neither.
  struct Details;
  static constexpr uint32_t kBorrowed = 0x80000000u;

  // The builder's constructor: `name` is a pool name, or one of the
  // element's own when `ownedName` (then freed with it).
  XmlElement(const std::string* name, bool ownedName, XmlElement* parent) noexcept;

  Details& EnsureDetails(XmlArena* arena);
  // Appends without any check; the element must not have a parent.
  void AppendChild(XmlElement* child, XmlArena* arena);
  void SetTextBytes(const char* text, size_t length, XmlArena* arena);
  void AppendAttribute(const char* name, size_t nameLength, const char* value, size_t valueLength, XmlArena* arena,
                       bool nameBorrowed);
  void ReserveAttributes(uint32_t count, XmlArena* arena);
  const AttributeSlot* FindAttribute(const char* name, size_t length) const;
  bool Qualifies(const char* name, const char* attrName, const char* attrValue, bool wantEqual) const;
  bool HasText(const std::string& text) const;
  Bytes TextBytes() const;
  uint32_t AttributeCount() const;
  const AttributeSlot* AttributeSlots() const;
  bool IsDescendantOf(const XmlElement* element) const;
  // Takes the element out of its parent's list without deleting it.
  XmlElement* Detach();
  // A copy without children, in `arena` (the shared one when null).
  XmlElement* CloneShallow(XmlArena* arena) const;
  void FreeStorage(XmlArena::FreeBatch& batch) noexcept;

  XmlElement* parent_ = nullptr;
  // The name: a pool string, or one of the element's own (lowest bit set).
  uintptr_t name_ = 0;
  Details* details_ = nullptr;
  // The children; the slot before the first holds the capacity.
  XmlElement** children_ = nullptr;
  uint32_t childCount_ = 0;
};
