#include "frame/XmlElement.h"

#include <algorithm>
#include <cstring>

XmlElement::XmlElement(std::string name) : name_(std::move(name)) {}

XmlElement::~XmlElement() = default;

XmlElement* XmlElement::NewElement(const std::string& name) { return new XmlElement(name); }

XmlElement* XmlElement::Clone(bool deep) const {
  auto* clone = new XmlElement(name_);
  clone->text_ = text_;
  clone->parent_ = parent_;
  clone->attributes_ = attributes_;
  if (deep) CloneChildrenInto(*clone);
  return clone;
}

void XmlElement::CloneChildrenInto(XmlElement& clone) const {
  for (const auto& child : children_) clone.AddChild(child->Clone(true));
}

void XmlElement::Write(std::string& buffer) const {
  buffer += '<';
  buffer += name_;
  for (const auto& [name, value] : attributes_) {
    buffer += ' ';
    buffer += name;
    buffer += "=\"";
    buffer += value;
    buffer += '"';
  }
  buffer += ">\r\n";
  buffer += text_;
  for (const auto& child : children_) child->Write(buffer);
  buffer += "</";
  buffer += name_;
  buffer += ">\r\n";
}

void XmlElement::SetAttribute(const std::string& name, const std::string& value) {
  for (auto& attribute : attributes_) {
    if (attribute.first == name) {
      attribute.second = value;
      return;
    }
  }
  attributes_.emplace_back(name, value);
}

void XmlElement::GetAttribute(const std::string& name, std::string& out) const {
  for (const auto& attribute : attributes_) {
    if (attribute.first == name) {
      out = attribute.second;
      return;
    }
  }
  out.clear();
}

bool XmlElement::Qualifies(const char* name, const char* attrName, const char* attrValue,
                           bool wantEqual) const {
  if (name != nullptr && name_ != name) return false;
  if (attrName == nullptr) return true;
  for (const auto& attribute : attributes_) {
    if (attribute.first != attrName) continue;
    return attrValue == nullptr || (attribute.second == attrValue) == wantEqual;
  }
  return false;
}

void XmlElement::FindAll(List& out, bool recursive, const char* name, const char* attrName,
                         const char* attrValue, bool wantEqual) const {
  for (const auto& child : children_) {
    if (child->Qualifies(name, attrName, attrValue, wantEqual)) out.push_back(child.get());
    if (recursive) child->FindAll(out, true, name, attrName, attrValue, wantEqual);
  }
}

XmlElement* XmlElement::FindFirst(bool recursive, const char* name, const char* attrName,
                                  const char* attrValue) const {
  for (const auto& child : children_) {
    if (child->Qualifies(name, attrName, attrValue, true)) return child.get();
    if (recursive) {
      if (XmlElement* found = child->FindFirst(true, name, attrName, attrValue)) return found;
    }
  }
  return nullptr;
}

XmlElement* XmlElement::FindByText(bool recursive, const char* name, const std::string& text) const {
  for (const auto& child : children_) {
    if ((name == nullptr || child->name_ == name) && child->text_ == text) return child.get();
    if (recursive) {
      if (XmlElement* found = child->FindByText(true, name, text)) return found;
    }
  }
  return nullptr;
}

XmlElement* XmlElement::Detach() {
  XmlElement* parent = parent_;
  parent_ = nullptr;
  if (parent == nullptr) return this;
  auto& siblings = parent->children_;
  auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto& c) { return c.get() == this; });
  // A clone carries its original's parent pointer without being its child.
  if (it != siblings.end()) {
    it->release();
    siblings.erase(it);
  }
  return this;
}

void XmlElement::Release() {
  DeleteChildren();
  delete Detach();
}

void XmlElement::DeleteChildren() {
  for (auto& child : children_) child->parent_ = nullptr;
  children_.clear();
}

void XmlElement::AddChild(XmlElement* child) {
  if (child == nullptr || child == this) return;
  child->Detach();
  child->parent_ = this;
  children_.emplace_back(child);
}

void XmlElement::SetChildText(const std::string& name, const std::string& text) {
  for (auto& child : children_) {
    if (child->name_ == name) {
      child->text_ = text;
      return;
    }
  }
  auto* child = new XmlElement(name);
  child->text_ = text;
  AddChild(child);
}

void XmlElement::RemoveChild(XmlElement* child) {
  if (child == nullptr || child->parent_ != this) return;
  child->Release();  // the tree's own release: the child's subtree goes with it
}

void XmlElement::RemoveChildrenNamed(const std::string& name) {
  auto removed = std::remove_if(children_.begin(), children_.end(), [&name](const auto& child) {
    if (child->name_ != name) return false;
    child->parent_ = nullptr;
    return true;
  });
  children_.erase(removed, children_.end());
}

void XmlElement::GetChildText(const std::string& childName, std::string& out) const {
  for (const auto& child : children_) {
    if (child->name_ == childName) {
      out = child->text_;
      return;
    }
  }
  out.clear();
}
