#include "CStringList.h"

struct CStringList::Node : __POSITION {
  explicit Node(const CString& text) : value(text) {}
  Node* next = nullptr;
  Node* prev = nullptr;
  CString value;
};

CStringList::Node* CStringList::AsNode(POSITION position) { return static_cast<Node*>(position); }

CStringList::CStringList() : head_(nullptr), tail_(nullptr), count_(0) {}
CStringList::~CStringList() { RemoveAll(); }

int CStringList::GetCount() const { return count_; }
int CStringList::GetSize() const { return count_; }
bool CStringList::IsEmpty() const { return count_ == 0; }

POSITION CStringList::AddHead(const CString& text) {
  Node* node = new Node(text);
  node->next = head_;
  if (head_ != nullptr) head_->prev = node; else tail_ = node;
  head_ = node;
  ++count_;
  return node;
}

POSITION CStringList::AddTail(const CString& text) {
  Node* node = new Node(text);
  node->prev = tail_;
  if (tail_ != nullptr) tail_->next = node; else head_ = node;
  tail_ = node;
  ++count_;
  return node;
}

void CStringList::AddTail(const CStringList& other) {
  if (&other == this) return;
  for (Node* node = other.head_; node != nullptr; node = node->next) AddTail(node->value);
}

POSITION CStringList::InsertBefore(POSITION position, const CString& text) {
  Node* at = AsNode(position);
  if (at == nullptr || at == head_) return AddHead(text);
  Node* node = new Node(text);
  node->prev = at->prev;
  node->next = at;
  at->prev->next = node;
  at->prev = node;
  ++count_;
  return node;
}

void CStringList::RemoveAll() {
  while (head_ != nullptr) {
    Node* next = head_->next;
    delete head_;
    head_ = next;
  }
  tail_ = nullptr;
  count_ = 0;
}

void CStringList::RemoveAt(POSITION position) {
  Node* node = AsNode(position);
  if (node == nullptr) return;
  if (node->prev != nullptr) node->prev->next = node->next; else head_ = node->next;
  if (node->next != nullptr) node->next->prev = node->prev; else tail_ = node->prev;
  delete node;
  --count_;
}

CString CStringList::RemoveHead() {
  CString value = head_ ? head_->value : CString();
  RemoveAt(head_);
  return value;
}

CString CStringList::RemoveTail() {
  CString value = tail_ ? tail_->value : CString();
  RemoveAt(tail_);
  return value;
}

CString& CStringList::GetHead() { return head_->value; }
const CString& CStringList::GetHead() const { return head_->value; }
CString& CStringList::GetTail() { return tail_->value; }
const CString& CStringList::GetTail() const { return tail_->value; }
POSITION CStringList::GetHeadPosition() const { return head_; }
POSITION CStringList::GetTailPosition() const { return tail_; }

CString& CStringList::GetNext(POSITION& position) {
  Node* node = AsNode(position);
  position = node->next;
  return node->value;
}
const CString& CStringList::GetNext(POSITION& position) const {
  Node* node = AsNode(position);
  position = node->next;
  return node->value;
}
CString& CStringList::GetPrev(POSITION& position) {
  Node* node = AsNode(position);
  position = node->prev;
  return node->value;
}
CString& CStringList::GetAt(POSITION position) { return AsNode(position)->value; }
const CString& CStringList::GetAt(POSITION position) const { return AsNode(position)->value; }
void CStringList::SetAt(POSITION position, const CString& text) { AsNode(position)->value = text; }

POSITION CStringList::FindIndex(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  Node* node = head_;
  while (index-- > 0) node = node->next;
  return node;
}

POSITION CStringList::Find(const wchar_t* text, POSITION start) const {
  Node* node = start ? AsNode(start)->next : head_;
  for (; node != nullptr; node = node->next) {
    if (node->value == text) return node;
  }
  return nullptr;
}
