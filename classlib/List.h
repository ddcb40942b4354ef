// Doubly linked lists iterated by POSITION, with the member names the program uses.
#pragma once

#include "classlib/Object.h"
#include "classlib/String.h"

#include <cassert>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject
{
    struct Node : __POSITION {
        Node* prev;
        Node* next;
        TYPE data;
    };

public:
    CList() = default;
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    ~CList() override { RemoveAll(); }

    int GetCount() const { return m_count; }
    int GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    TYPE& GetHead() { assert(m_head); return m_head->data; }
    const TYPE& GetHead() const { assert(m_head); return m_head->data; }
    TYPE& GetTail() { assert(m_tail); return m_tail->data; }
    const TYPE& GetTail() const { assert(m_tail); return m_tail->data; }

    POSITION AddHead(ARG_TYPE e) { return InsertBefore(reinterpret_cast<POSITION>(m_head), e); }
    POSITION AddTail(ARG_TYPE e) { return InsertAfter(reinterpret_cast<POSITION>(m_tail), e); }
    TYPE RemoveHead() { assert(m_head); TYPE e = m_head->data; RemoveAt(m_head); return e; }
    TYPE RemoveTail() { assert(m_tail); TYPE e = m_tail->data; RemoveAt(m_tail); return e; }

    POSITION GetHeadPosition() const { return m_head; }
    POSITION GetTailPosition() const { return m_tail; }
    TYPE& GetNext(POSITION& pos) { Node* n = N(pos); pos = n->next; return n->data; }
    const TYPE& GetNext(POSITION& pos) const { Node* n = N(pos); pos = n->next; return n->data; }
    TYPE& GetPrev(POSITION& pos) { Node* n = N(pos); pos = n->prev; return n->data; }
    TYPE& GetAt(POSITION pos) { return N(pos)->data; }
    const TYPE& GetAt(POSITION pos) const { return N(pos)->data; }
    void SetAt(POSITION pos, ARG_TYPE e) { N(pos)->data = e; }

    POSITION InsertBefore(POSITION pos, ARG_TYPE e)
    {
        Node* at = N(pos);
        Node* n = new Node{{}, at ? at->prev : nullptr, at, e};
        if (!at) {
            n->prev = m_tail;
            if (m_tail) m_tail->next = n; else m_head = n;
            m_tail = n;
        } else {
            if (at->prev) at->prev->next = n; else m_head = n;
            at->prev = n;
        }
        ++m_count;
        return n;
    }

    POSITION InsertAfter(POSITION pos, ARG_TYPE e)
    {
        Node* at = N(pos);
        if (!at)
            return InsertBefore(reinterpret_cast<POSITION>(m_head), e);
        Node* n = new Node{{}, at, at->next, e};
        if (at->next) at->next->prev = n; else m_tail = n;
        at->next = n;
        ++m_count;
        return n;
    }

    void RemoveAt(POSITION pos)
    {
        Node* n = N(pos);
        if (!n)
            return;
        if (n->prev) n->prev->next = n->next; else m_head = n->next;
        if (n->next) n->next->prev = n->prev; else m_tail = n->prev;
        delete n;
        --m_count;
    }

    void RemoveAll()
    {
        while (m_head) {
            Node* n = m_head->next;
            delete m_head;
            m_head = n;
        }
        m_tail = nullptr;
        m_count = 0;
    }

    POSITION Find(ARG_TYPE e, POSITION startAfter = nullptr) const
    {
        Node* n = startAfter ? N(startAfter)->next : m_head;
        for (; n; n = n->next)
            if (n->data == e)
                return n;
        return nullptr;
    }

    POSITION FindIndex(int index) const
    {
        if (index < 0)
            return nullptr;
        Node* n = m_head;
        while (n && index-- > 0)
            n = n->next;
        return n;
    }

private:
    static Node* N(POSITION p) { return static_cast<Node*>(p); }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int m_count = 0;
};

class CStringList : public CList<CString, const char*> {};
class CPtrList : public CList<void*, void*> {};
class CObList : public CList<CObject*, CObject*> {};
