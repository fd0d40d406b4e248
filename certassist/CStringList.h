#pragma once

#include "CString.h"

// An opaque place in a CStringList; null before the head and after the tail.
struct __POSITION {};
typedef __POSITION* POSITION;

// A doubly linked list of strings, walked by POSITION or by index.
class CERTASSIST_API CStringList {
 public:
  CStringList();
  ~CStringList();
  CStringList(const CStringList&) = delete;
  CStringList& operator=(const CStringList&) = delete;

  int GetCount() const;
  int GetSize() const;
  bool IsEmpty() const;

  POSITION AddHead(const CString& text);
  POSITION AddTail(const CString& text);
  void AddTail(const CStringList& other);
  POSITION InsertBefore(POSITION position, const CString& text);
  void RemoveAll();
  CString RemoveHead();
  CString RemoveTail();
  void RemoveAt(POSITION position);

  CString& GetHead();
  const CString& GetHead() const;
  CString& GetTail();
  const CString& GetTail() const;
  POSITION GetHeadPosition() const;
  POSITION GetTailPosition() const;
  // Return the element at position and move position on (null past the end).
  CString& GetNext(POSITION& position);
  const CString& GetNext(POSITION& position) const;
  CString& GetPrev(POSITION& position);
  CString& GetAt(POSITION position);
  const CString& GetAt(POSITION position) const;
  void SetAt(POSITION position, const CString& text);

  // Position of the element at index, or null when index is out of range.
  POSITION FindIndex(int index) const;
  // Position of the first element equal to text after start (from the head when null).
  POSITION Find(const wchar_t* text, POSITION start = nullptr) const;

 private:
  struct Node;
  static Node* AsNode(POSITION position);
  Node* m_head;
  Node* m_tail;
  int m_count;
};
