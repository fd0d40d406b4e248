#include "CStringList.h"

struct CStringList::Node : __POSITION {
  explicit Node(const CString& text) : value(text) {}
  Node* next = nullptr;
  Node* prev = nullptr;
  CString value;
};

CStringList::Node* CStringList::AsNode(POSITION position) { return static_cast<Node*>(position); }

CStringList::CStringList() : m_head(nullptr), m_tail(nullptr), m_count(0) {}
CStringList::~CStringList() { RemoveAll(); }

int CStringList::GetCount() const { return m_count; }
int CStringList::GetSize() const { return m_count; }
bool CStringList::IsEmpty() const { return m_count == 0; }

POSITION CStringList::AddHead(const CString& text) {
  Node* node = new Node(text);
  node->next = m_head;
  if (m_head != nullptr) m_head->prev = node; else m_tail = node;
  m_head = node;
  ++m_count;
  return node;
}

POSITION CStringList::AddTail(const CString& text) {
  Node* node = new Node(text);
  node->prev = m_tail;
  if (m_tail != nullptr) m_tail->next = node; else m_head = node;
  m_tail = node;
  ++m_count;
  return node;
}

void CStringList::AddTail(const CStringList& other) {
  if (&other == this) return;
  for (Node* node = other.m_head; node != nullptr; node = node->next) AddTail(node->value);
}

POSITION CStringList::InsertBefore(POSITION position, const CString& text) {
  Node* at = AsNode(position);
  if (at == nullptr || at == m_head) return AddHead(text);
  Node* node = new Node(text);
  node->prev = at->prev;
  node->next = at;
  at->prev->next = node;
  at->prev = node;
  ++m_count;
  return node;
}

void CStringList::RemoveAll() {
  while (m_head != nullptr) {
    Node* next = m_head->next;
    delete m_head;
    m_head = next;
  }
  m_tail = nullptr;
  m_count = 0;
}

void CStringList::RemoveAt(POSITION position) {
  Node* node = AsNode(position);
  if (node == nullptr) return;
  if (node->prev != nullptr) node->prev->next = node->next; else m_head = node->next;
  if (node->next != nullptr) node->next->prev = node->prev; else m_tail = node->prev;
  delete node;
  --m_count;
}

CString CStringList::RemoveHead() {
  CString value = m_head ? m_head->value : CString();
  RemoveAt(m_head);
  return value;
}

CString CStringList::RemoveTail() {
  CString value = m_tail ? m_tail->value : CString();
  RemoveAt(m_tail);
  return value;
}

CString& CStringList::GetHead() { return m_head->value; }
const CString& CStringList::GetHead() const { return m_head->value; }
CString& CStringList::GetTail() { return m_tail->value; }
const CString& CStringList::GetTail() const { return m_tail->value; }
POSITION CStringList::GetHeadPosition() const { return m_head; }
POSITION CStringList::GetTailPosition() const { return m_tail; }

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
  if (index < 0 || index >= m_count) return nullptr;
  Node* node = m_head;
  while (index-- > 0) node = node->next;
  return node;
}

POSITION CStringList::Find(const wchar_t* text, POSITION start) const {
  Node* node = start ? AsNode(start)->next : m_head;
  for (; node != nullptr; node = node->next) {
    if (node->value == text) return node;
  }
  return nullptr;
}
