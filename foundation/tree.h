#pragma once
// A small n-ary tree whose children are doubly linked sibling lists. Appending is
// constant time, and walks, copies and destruction need neither recursion nor a stack,
// so trees of any depth are safe.
#include <cstdint>
#include <utility>

template <class T>
class _tree_node {
public:
    explicit _tree_node(const T& value) : data(value) {}
    _tree_node() = default;
    virtual ~_tree_node() = default;
    _tree_node(const _tree_node&) = delete;
    _tree_node& operator=(const _tree_node&) = delete;

    _tree_node* parent = nullptr;
    _tree_node* firstChild = nullptr;
    _tree_node* lastChild = nullptr;
    _tree_node* prevSibling = nullptr;
    _tree_node* nextSibling = nullptr;  // the root's is the tree's end sentinel
    T data{};
    uint64_t depth = 0;
    uint64_t appendedChildren = 0;  // never decreased
};

template <class T>
class _tree_iterator_base {
public:
    using value_type = T;
    using node_type = _tree_node<T>;

    _tree_iterator_base() = default;
    explicit _tree_iterator_base(node_type* n) : node(n) {}
    virtual ~_tree_iterator_base() = default;
    _tree_iterator_base(const _tree_iterator_base&) = default;
    _tree_iterator_base& operator=(const _tree_iterator_base&) = default;

    node_type* get_node() const { return node; }
    uint64_t depth() const { return node->depth; }
    uint64_t number_of_children() const {
        uint64_t n = 0;
        for (node_type* c = node->firstChild; c; c = c->nextSibling) ++n;
        return n;
    }
    bool is_valid() const { return node != nullptr; }

    bool operator==(const _tree_iterator_base& other) const { return node == other.node; }
    bool operator!=(const _tree_iterator_base& other) const { return node != other.node; }

    node_type* node = nullptr;
};

// Document order: a node, then its children's subtrees in sibling order.
template <class T>
class _tree_preorder_iterator : public _tree_iterator_base<T> {
public:
    using node_type = _tree_node<T>;
    _tree_preorder_iterator() = default;
    explicit _tree_preorder_iterator(node_type* n) : _tree_iterator_base<T>(n) {}
    _tree_preorder_iterator(const _tree_iterator_base<T>& other)
        : _tree_iterator_base<T>(other.node) {}

protected:
    void increment() {
        node_type* n = this->node;
        if (n->firstChild) {
            this->node = n->firstChild;
            return;
        }
        while (n && !n->nextSibling) n = n->parent;
        this->node = n ? n->nextSibling : nullptr;
    }
};

// The children of one parent; past the last child the node is null but the parent is
// still known.
template <class T>
class _tree_sibling_iterator : public _tree_iterator_base<T> {
public:
    using node_type = _tree_node<T>;
    _tree_sibling_iterator() = default;
    _tree_sibling_iterator(node_type* n, node_type* parentNode)
        : _tree_iterator_base<T>(n), parent(parentNode) {}
    _tree_sibling_iterator(const _tree_iterator_base<T>& other)
        : _tree_iterator_base<T>(other.node), parent(other.node ? other.node->parent : nullptr) {
        if (auto* s = dynamic_cast<const _tree_sibling_iterator*>(&other)) parent = s->parent;
    }

    node_type* parent = nullptr;

protected:
    void increment() {
        // The root's next sibling is the end sentinel, which is no sibling.
        this->node = this->node->parent ? this->node->nextSibling : nullptr;
    }
};

template <class T>
class _tree_parent_iterator : public _tree_iterator_base<T> {
public:
    using node_type = _tree_node<T>;
    _tree_parent_iterator() = default;
    explicit _tree_parent_iterator(node_type* n) : _tree_iterator_base<T>(n) {}
    _tree_parent_iterator(const _tree_iterator_base<T>& other)
        : _tree_iterator_base<T>(other.node) {}

protected:
    void increment() { this->node = this->node->parent; }
};

// Read access over one of the traversal orders.
template <class Base>
class _tree_const_iterator : public Base {
public:
    using value_type = typename Base::value_type;
    using Base::Base;
    _tree_const_iterator() = default;
    _tree_const_iterator(const _tree_iterator_base<value_type>& other) : Base(other) {}

    const value_type& operator*() const { return this->node->data; }
    const value_type* operator->() const { return &this->node->data; }
    _tree_const_iterator& operator++() {
        this->increment();
        return *this;
    }
    _tree_const_iterator operator++(int) {
        _tree_const_iterator old = *this;
        this->increment();
        return old;
    }
};

// Write access over one of the traversal orders.
template <class Base>
class _tree_iterator : public _tree_const_iterator<Base> {
public:
    using value_type = typename Base::value_type;
    using node_type = _tree_node<value_type>;
    _tree_iterator() = default;
    explicit _tree_iterator(node_type* n) : _tree_const_iterator<Base>(Base(n)) {}
    _tree_iterator(node_type* n, node_type* parentNode)
        : _tree_const_iterator<Base>(Base(n, parentNode)) {}
    template <class OtherBase>
    _tree_iterator(const _tree_iterator<OtherBase>& other)
        : _tree_const_iterator<Base>(static_cast<const _tree_iterator_base<value_type>&>(other)) {}

    value_type& operator*() const { return this->node->data; }
    value_type* operator->() const { return &this->node->data; }
    _tree_iterator& operator++() {
        this->increment();
        return *this;
    }
    _tree_iterator operator++(int) {
        _tree_iterator old = *this;
        this->increment();
        return old;
    }
};

template <class T>
class tree {
public:
    using value_type = T;
    using node_type = _tree_node<T>;
    using iterator_base = _tree_iterator_base<T>;
    using pre_order_iterator = _tree_iterator<_tree_preorder_iterator<T>>;
    using const_pre_order_iterator = _tree_const_iterator<_tree_preorder_iterator<T>>;
    using iterator = pre_order_iterator;
    using const_iterator = const_pre_order_iterator;
    using sibling_iterator = _tree_iterator<_tree_sibling_iterator<T>>;
    using const_sibling_iterator = _tree_const_iterator<_tree_sibling_iterator<T>>;
    using parent_iterator = _tree_iterator<_tree_parent_iterator<T>>;
    using const_parent_iterator = _tree_const_iterator<_tree_parent_iterator<T>>;

    tree() : m_end(new node_type()) {}
    tree(const tree& other) : m_end(new node_type()) {
        try {
            CopyFrom(other);
        } catch (...) {
            clear();
            delete m_end;
            throw;
        }
    }
    tree(tree&& other) noexcept : tree() { swap(other); }
    tree& operator=(const tree& other) {
        if (this != &other) {
            tree copy(other);
            swap(copy);
        }
        return *this;
    }
    tree& operator=(tree&& other) noexcept {
        if (this != &other) {
            clear();
            swap(other);
        }
        return *this;
    }
    virtual ~tree() {
        clear();
        delete m_end;
    }

    // The sentinel moves with the root, so the root's link to it stays right.
    void swap(tree& other) noexcept {
        std::swap(m_root, other.m_root);
        std::swap(m_end, other.m_end);
    }

    bool empty() const { return m_root == nullptr; }
    void clear() {
        if (m_root) erase(iterator(m_root));
    }
    uint64_t size() const {
        uint64_t n = 0;
        for (const_iterator it = begin(); it != end(); ++it) ++n;
        return n;
    }

    // Makes the root when there is none; an existing root is returned unchanged.
    iterator set_head(const T& value) {
        if (!m_root) {
            m_root = new node_type(value);
            m_root->nextSibling = m_end;
            m_end->prevSibling = m_root;
        }
        return iterator(m_root);
    }

    iterator begin() { return iterator(m_root ? m_root : m_end); }
    iterator end() { return iterator(m_end); }
    const_iterator begin() const { return const_iterator(m_root ? m_root : m_end); }
    const_iterator end() const { return const_iterator(m_end); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    iterator append_child(const iterator_base& position, const T& value) {
        return iterator(AppendChild(position.node, value));
    }
    iterator append_sibling(const iterator_base& position, const T& value) {
        return iterator(AppendChild(position.node->parent, value));
    }

    sibling_iterator begin_children(const iterator_base& position) {
        return sibling_iterator(position.node->firstChild, position.node);
    }
    sibling_iterator end_children(const iterator_base& position) {
        return sibling_iterator(nullptr, position.node);
    }
    const_sibling_iterator begin_children(const iterator_base& position) const {
        return const_sibling_iterator(position.node->firstChild, position.node);
    }
    const_sibling_iterator end_children(const iterator_base& position) const {
        return const_sibling_iterator(nullptr, position.node);
    }

    static iterator parent(const iterator_base& position) {
        return iterator(position.node->parent);
    }

    // Removes the node with its subtree; answers the node that followed the subtree in
    // document order (end() after the root).
    iterator erase(const iterator_base& position) {
        node_type* n = position.node;
        DestroyDescendants(n);
        node_type* successor = n;
        while (successor && !successor->nextSibling) successor = successor->parent;
        successor = successor ? successor->nextSibling : nullptr;

        if (n == m_root) {
            m_root = nullptr;
            m_end->prevSibling = nullptr;
        } else {
            node_type* p = n->parent;
            if (n->prevSibling) n->prevSibling->nextSibling = n->nextSibling;
            else p->firstChild = n->nextSibling;
            if (n->nextSibling) n->nextSibling->prevSibling = n->prevSibling;
            else p->lastChild = n->prevSibling;
        }
        delete n;
        return iterator(successor);
    }

    void erase_children(const iterator_base& position) { DestroyDescendants(position.node); }

private:
    node_type* AppendChild(node_type* p, const T& value) {
        node_type* n = new node_type(value);
        n->parent = p;
        n->depth = p->depth + 1;
        n->prevSibling = p->lastChild;
        if (p->lastChild) p->lastChild->nextSibling = n;
        else p->firstChild = n;
        p->lastChild = n;
        ++p->appendedChildren;
        return n;
    }

    // Deletes every node below n, leaves first, without recursion.
    static void DestroyDescendants(node_type* n) {
        node_type* cur = n->firstChild;
        while (cur) {
            if (cur->firstChild) {
                cur = cur->firstChild;
                continue;
            }
            node_type* p = cur->parent;
            node_type* next = cur->nextSibling;
            p->firstChild = next;
            if (next) next->prevSibling = nullptr;
            else p->lastChild = nullptr;
            delete cur;
            if (next) cur = next;
            else if (p == n) break;
            else cur = p;
        }
    }

    // Walks the other tree in document order, keeping d on the copy of s.
    void CopyFrom(const tree& other) {
        if (!other.m_root) return;
        const node_type* s = other.m_root;
        node_type* d = set_head(s->data).node;
        for (;;) {
            if (s->firstChild) {
                s = s->firstChild;
                d = AppendChild(d, s->data);
                continue;
            }
            while (s != other.m_root && !s->nextSibling) {
                s = s->parent;
                d = d->parent;
            }
            if (s == other.m_root) break;
            s = s->nextSibling;
            d = AppendChild(d->parent, s->data);
        }
    }

    node_type* m_root = nullptr;
    node_type* m_end = nullptr;  // sentinel after the root; holds a default T
};
