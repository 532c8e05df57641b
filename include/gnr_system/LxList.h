// CLxList: a doubly linked list of untyped data pointers with an optional
// key on every node (none, an integer or a UTF-16 text), positional and key
// look-ups, sorting and callback iteration. The list never owns the data: it
// allocates and frees only its nodes (on the private heap).
//
// Misuse (a key of the wrong type, a node of another list, an index past the
// end) is reported through the assertion layer; the operation then returns
// null, false or -9 as described below.
//
// Threads: every list has its own recursive lock, made on first use. Every
// operation that walks or changes the nodes takes it; GetCount, GetFirst,
// GetLast and GetKeyType read their field without it. The callbacks of
// Sort, ForEach, FirstThat and LastThat run under the lock, so they may call
// the same list on the same thread while other threads wait; they must not
// detach or delete the nodes being walked. The data pointed to is not
// protected.
//
// CLxList_specI<T> is the typed front for lists of T*.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"
#include "w32_system/LxMutexCS.h"

enum ELxKeyType {
    lxKEY_NONE = 0,   // no keys
    lxKEY_INT = 1,    // integer keys
    lxKEY_STRING = 2, // UTF-16 text keys
};

class LX_EXPORT CLxList
{
  public:
    // The key of a node: its type and a value of that type.
    class LX_EXPORT CLxKey
    {
      public:
        // lxKEY_NONE.
        CLxKey();
        // lxKEY_INT.
        CLxKey(int key);
        // lxKEY_STRING; a null text is taken as empty.
        CLxKey(const char16_t* key);

        ELxKeyType GetKeyType() const { return m_keyType; }
        int GetIntKey() const { return m_intKey; }
        const CLxStringW& GetStringKey() const { return m_stringKey; }

        // Copies the other key's value when both keys have the same type; a
        // different type is reported ("Error: Key type mismatch.") and
        // changes nothing.
        void SetKey(const CLxKey& value);
        // Equal integers or equal texts (exact). Keys of different types are
        // reported as a mismatch and differ; two lxKEY_NONE keys are reported
        // ("Error: Bad key type.") and differ.
        bool operator==(const CLxKey& other) const;
        bool operator!=(const CLxKey& other) const { return !(*this == other); }

      private:
        ELxKeyType m_keyType;
        int m_intKey;
        CLxStringW m_stringKey;
    };

    // One element. A node that is deleted while it still belongs to a list
    // detaches itself first.
    class LX_EXPORT CLxNode
    {
      public:
        // Links the node between previous and next (either may be null),
        // for list, with a copy of the key. The list's count, first and last
        // fields are the list's business.
        CLxNode(CLxList* list, CLxNode* previous, CLxNode* next, void* data, const CLxKey& key);
        ~CLxNode();
        CLxNode(const CLxNode&) = delete;
        CLxNode& operator=(const CLxNode&) = delete;

        // Nodes live on the private heap; a refused allocation gives a null
        // node instead of an exception.
        static void* operator new(size_t size) noexcept;
        static void operator delete(void* block) noexcept;

        CLxNode* GetNext() const { return m_next; }
        CLxNode* GetPrevious() const { return m_previous; }
        CLxKey& GetNodeKey() { return m_key; }
        const CLxKey& GetNodeKey() const { return m_key; }
        // The SetKey rule: only a key of the same type is taken.
        void SetNodeKey(const CLxKey& key) { m_key.SetKey(key); }
        // The number of nodes before this one; -9 (reported) for a node that
        // belongs to no list.
        int IndexOf() const;
        // The list holding the node; null once detached.
        CLxList* GetList() const { return m_list; }

      private:
        friend class CLxList;

        CLxKey m_key;
        void* m_data;
        CLxNode* m_next;
        CLxNode* m_previous;
        CLxList* m_list;
    };

    // An empty list keyed on that type.
    explicit CLxList(ELxKeyType type = lxKEY_NONE);
    // Unkeyed; the count pointers of array in order.
    CLxList(unsigned int count, void** array);
    // Unkeyed; the given pointers up to the first null one (a null first
    // pointer gives an empty list).
    CLxList(void* first, ...);
    // The other's key type and, in order, a node with the same key and data
    // for each of its nodes.
    CLxList(const CLxList& list);
    // Clear, then copy as above. Assigning a list to itself keeps it.
    CLxList& operator=(const CLxList& list);
    // Frees the nodes (never the data) and the lock.
    virtual ~CLxList();

    // Frees every node; the key type stays.
    void Clear();
    // Sets the key type; on a list that is not empty it reports
    // "m_count != 0" first and sets it all the same.
    void SetKeyType(ELxKeyType type);
    ELxKeyType GetKeyType() const { return m_keyType; }
    unsigned int GetCount() const { return m_count; }
    CLxNode* GetFirst() const { return m_first; }
    CLxNode* GetLast() const { return m_last; }

    // The node at that position (0 is the first); past the end reported
    // ("Error: Invalid index in CLxList::GetNth()") and null.
    CLxNode* GetNth(unsigned int index) const;
    // The data of GetNth(index), or null.
    void* operator[](unsigned int index) const;

    // A new last node without a key. Refused on a keyed list ("Error: Need a
    // key for the object to append!"): null. Null also when no memory.
    CLxNode* Append(void* data);
    // A new last node with a copy of the key (its type is not compared with
    // the list's).
    CLxNode* Append(const CLxKey& key, void* data);

    // A new first node (the rule of Insert before a position).
    CLxNode* Insert(void* data);
    // An index equal to the count appends (the Append rule); any other
    // index inserts before GetNth(index), so an index past the end is
    // reported by GetNth and inserts at the front.
    CLxNode* Insert(unsigned int index, void* data);
    // The same for a plain integer index, so that Insert(0, p) is not taken
    // for a null position; a negative index lies past the end.
    CLxNode* Insert(int index, void* data)
    {
        return Insert(static_cast<unsigned int>(index), data);
    }
    // A new node just before position (null: at the front), without a key.
    // Refused on a keyed list ("Error: Need a key for the object to
    // insert.") and for a position of another list ("Error: Can't insert
    // before a node from another list."): null.
    CLxNode* Insert(CLxNode* position, void* data);

    // Unlinks the node and hands it to the caller, who then owns it (delete
    // frees it). Null (reported) for a null node or a node of another list.
    CLxNode* DetachNode(CLxNode* node);
    // DetachNode, then frees the node; false when the detach was refused.
    bool DeleteNode(CLxNode* node);

    // The first node whose key equals key. A key of another type than the
    // list's is reported ("Error: This list is not keyed on the type of
    // this key.") and the search goes on.
    CLxNode* Find(const CLxKey& key) const;
    // The first node holding exactly that pointer, else null.
    CLxNode* Find(void* data) const;
    // The position of Find(data), or -9.
    int IndexOf(void* data) const;
    // The node's data when it belongs to this list, else null.
    void* GetData(CLxNode* node) const;

    // Sorts the data pointers with the C library's qsort: compare receives
    // the addresses of two array elements (pointers to data pointers) and
    // returns negative, 0 or positive. Nodes and their keys stay where they
    // are; only the data pointers move. Equal elements keep no order.
    void Sort(int (*compare)(void*, void*));
    // Calls f(data) for every node from first to last; results are ignored.
    void ForEach(int (*f)(void*));
    // The data of the first node for which f returns non-zero, else null.
    void* FirstThat(int (*f)(void*));
    // The same walking from the last node back.
    void* LastThat(int (*f)(void*));

  protected:
    // Appends first and the pointers that follow in args up to a null one.
    void AppendArguments(void* first, va_list args);

  private:
    // A new node between previous and next, with the count and the ends
    // updated; null when no memory.
    CLxNode* Link(CLxNode* previous, CLxNode* next, void* data, const CLxKey& key);
    void CopyFrom(const CLxList& list);

    unsigned int m_count;
    CLxNode* m_first;
    CLxNode* m_last;
    ELxKeyType m_keyType;
    mutable pthread_mutexCS_t m_mutex;
};

// CLxList for pointers to T: every member forwards to the CLxList member of
// the same name. Sort and ForEach callbacks keep the untyped signature.
template <class T> class LX_EXPORT CLxList_specI : public CLxList
{
  public:
    explicit CLxList_specI(ELxKeyType type = lxKEY_NONE) : CLxList(type) {}
    CLxList_specI(const CLxList_specI& list) : CLxList(list) {}
    CLxList_specI(unsigned int count, T** array) : CLxList(lxKEY_NONE)
    {
        for (unsigned int i = 0; i < count; ++i)
            CLxList::Append(array[i]);
    }
    CLxList_specI(T* first, ...) : CLxList(lxKEY_NONE)
    {
        va_list args;
        va_start(args, first);
        for (T* data = first; data; data = va_arg(args, T*))
            CLxList::Append(data);
        va_end(args);
    }
    CLxList_specI& operator=(const CLxList_specI& list)
    {
        CLxList::operator=(list);
        return *this;
    }

    CLxNode* Append(T* data) { return CLxList::Append(data); }
    CLxNode* Append(const CLxKey& key, T* data) { return CLxList::Append(key, data); }
    CLxNode* Insert(T* data) { return CLxList::Insert(static_cast<void*>(data)); }
    CLxNode* Insert(unsigned int index, T* data) { return CLxList::Insert(index, data); }
    CLxNode* Insert(int index, T* data) { return CLxList::Insert(index, data); }
    CLxNode* Insert(CLxNode* position, T* data) { return CLxList::Insert(position, data); }

    using CLxList::Find;
    CLxNode* Find(T* data) const { return CLxList::Find(static_cast<void*>(data)); }
    int IndexOf(T* data) const { return CLxList::IndexOf(data); }

    T* operator[](unsigned int index) const { return static_cast<T*>(CLxList::operator[](index)); }
    T* GetData(CLxNode* node) const { return static_cast<T*>(CLxList::GetData(node)); }
    T* FirstThat(int (*f)(void*)) { return static_cast<T*>(CLxList::FirstThat(f)); }
    T* LastThat(int (*f)(void*)) { return static_cast<T*>(CLxList::LastThat(f)); }
};

extern template class LX_EXPORT CLxList_specI<int>;
extern template class LX_EXPORT CLxList_specI<unsigned int>;
extern template class LX_EXPORT CLxList_specI<CLxStringA>;
extern template class LX_EXPORT CLxList_specI<CLxStringW>;
