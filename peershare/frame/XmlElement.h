#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

// One element of the in-memory tree that holds every document of the plug-in.
// Names, attribute values and texts are 8-bit strings in the system code page.
// An element owns its children; removing a child deletes its whole subtree.
class XmlElement {
 public:
  using Attribute = std::pair<std::string, std::string>;
  using List = std::vector<XmlElement*>;

  explicit XmlElement(std::string name = std::string());
  XmlElement(const XmlElement&) = delete;
  XmlElement& operator=(const XmlElement&) = delete;

  // A new element with this one's name, text, attributes and parent pointer
  // (the clone is not among the parent's children); with `deep`, clones of
  // all children too.
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

  void AddChild(XmlElement* child);
  void SetChildText(const std::string& name, const std::string& text);
  void RemoveChild(XmlElement* child);
  // Removes every direct child named `name` in one pass, whatever their number.
  void RemoveChildrenNamed(const std::string& name);
  void GetChildText(const std::string& childName, std::string& out) const;
  XmlElement* FindByText(bool recursive, const char* name, const std::string& text) const;

  static XmlElement* NewElement(const std::string& name);

  const std::string& Name() const { return name_; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text) { text_ = std::move(text); }
  XmlElement* Parent() const { return parent_; }
  const std::vector<Attribute>& Attributes() const { return attributes_; }
  size_t ChildCount() const { return children_.size(); }
  XmlElement* Child(size_t index) const { return children_[index].get(); }

 protected:
  void DeleteChildren();
  void CloneChildrenInto(XmlElement& clone) const;

 private:
  bool Qualifies(const char* name, const char* attrName, const char* attrValue, bool wantEqual) const;
  // Takes the element out of its parent's list without deleting it.
  XmlElement* Detach();

  XmlElement* parent_ = nullptr;
  std::vector<std::unique_ptr<XmlElement>> children_;
  std::vector<Attribute> attributes_;
  std::string name_;
  std::string text_;
};
