#include "foundation/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using StringTree = tree<std::string>;

std::vector<std::string> PreOrder(const StringTree& t) {
    std::vector<std::string> out;
    for (StringTree::const_iterator it = t.begin(); it != t.end(); ++it) out.push_back(*it);
    return out;
}

// root
//   a
//     a1
//     a2
//   b
//   c
//     c1
StringTree Sample() {
    StringTree t;
    auto root = t.set_head("root");
    auto a = t.append_child(root, "a");
    t.append_child(a, "a1");
    t.append_child(a, "a2");
    auto b = t.append_child(root, "b");
    auto c = t.append_sibling(b, "c");
    t.append_child(c, "c1");
    return t;
}

}  // namespace

TEST(Tree, EmptyTreeBeginsAtEnd) {
    StringTree t;
    EXPECT_TRUE(t.empty());
    EXPECT_TRUE(t.begin() == t.end());
    EXPECT_EQ(0u, t.size());
}

TEST(Tree, RootOnlyTreeEndsAfterOneIncrement) {
    StringTree t;
    auto root = t.set_head("r");
    EXPECT_TRUE(t.begin() == root);
    EXPECT_EQ(0u, root.depth());
    auto it = t.begin();
    ++it;
    EXPECT_TRUE(it == t.end());
}

TEST(Tree, SetHeadKeepsExistingRoot) {
    StringTree t;
    auto first = t.set_head("first");
    auto second = t.set_head("second");
    EXPECT_TRUE(first == second);
    EXPECT_EQ("first", *second);
    EXPECT_EQ(1u, t.size());
}

TEST(Tree, PreOrderVisitsChildrenInAppendOrderBeforeNextSibling) {
    StringTree t = Sample();
    EXPECT_EQ((std::vector<std::string>{"root", "a", "a1", "a2", "b", "c", "c1"}), PreOrder(t));
}

TEST(Tree, NodesKnowDepthParentAndAppendCount) {
    StringTree t = Sample();
    auto root = t.begin();
    EXPECT_EQ(3u, root.get_node()->appendedChildren);
    EXPECT_EQ(3u, root.number_of_children());
    auto a1 = root;
    ++a1;
    ++a1;
    EXPECT_EQ("a1", *a1);
    EXPECT_EQ(2u, a1.depth());
    StringTree::parent_iterator up(a1);
    ++up;
    EXPECT_EQ("a", *up);
    ++up;
    EXPECT_EQ("root", *up);
    ++up;
    EXPECT_FALSE(up.is_valid());
}

TEST(Tree, SiblingIteratorWalksOneLevelAndEndsAtNull) {
    StringTree t = Sample();
    std::vector<std::string> kids;
    for (auto it = t.begin_children(t.begin()); it != t.end_children(t.begin()); ++it)
        kids.push_back(*it);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), kids);
    auto past = t.end_children(t.begin());
    EXPECT_EQ(nullptr, past.get_node());
    EXPECT_EQ(t.begin().get_node(), past.parent);
    // A leaf has an empty child range.
    auto b = t.begin_children(t.begin());
    ++b;
    EXPECT_TRUE(t.begin_children(b) == t.end_children(b));
}

TEST(Tree, IteratorWritesData) {
    StringTree t = Sample();
    for (auto it = t.begin(); it != t.end(); ++it) *it += "!";
    EXPECT_EQ("c1!", PreOrder(t).back());
}

TEST(Tree, EraseSubtreeReturnsFollowingNodeAndRelinks) {
    StringTree t = Sample();
    auto a = t.begin_children(t.begin());
    auto next = t.erase(a);
    EXPECT_EQ("b", *next);
    EXPECT_EQ((std::vector<std::string>{"root", "b", "c", "c1"}), PreOrder(t));
    EXPECT_EQ("b", t.begin().get_node()->firstChild->data);
    EXPECT_EQ(nullptr, t.begin().get_node()->firstChild->prevSibling);
    // The append count is never decreased.
    EXPECT_EQ(3u, t.begin().get_node()->appendedChildren);

    // Erasing the last leaf of the last child walks up to end().
    auto c1 = t.begin();
    while (*c1 != "c1") ++c1;
    EXPECT_TRUE(t.erase(c1) == t.end());
    auto c = t.begin_children(t.begin());
    ++c;
    EXPECT_EQ(nullptr, c.get_node()->firstChild);
    EXPECT_EQ(nullptr, c.get_node()->lastChild);

    // A middle child: neighbours are linked to each other.
    StringTree u = Sample();
    auto b = u.begin_children(u.begin());
    ++b;
    EXPECT_EQ("c", *u.erase(b));
    auto first = u.begin().get_node()->firstChild;
    EXPECT_EQ("c", first->nextSibling->data);
    EXPECT_EQ(first, first->nextSibling->prevSibling);
}

TEST(Tree, EraseRootEmptiesTreeAndAllowsNewHead) {
    StringTree t = Sample();
    EXPECT_TRUE(t.erase(t.begin()) == t.end());
    EXPECT_TRUE(t.empty());
    t.set_head("again");
    EXPECT_EQ((std::vector<std::string>{"again"}), PreOrder(t));
}

TEST(Tree, EraseChildrenKeepsNodeAndAllowsNewChildren) {
    StringTree t = Sample();
    t.erase_children(t.begin());
    EXPECT_EQ((std::vector<std::string>{"root"}), PreOrder(t));
    t.append_child(t.begin(), "z");
    EXPECT_EQ((std::vector<std::string>{"root", "z"}), PreOrder(t));
}

TEST(Tree, CopyIsDeepAndIndependent) {
    StringTree original = Sample();
    StringTree copy(original);
    EXPECT_EQ(PreOrder(original), PreOrder(copy));
    std::vector<const void*> seen;
    for (auto it = original.begin(); it != original.end(); ++it) seen.push_back(it.get_node());
    for (auto it = copy.begin(); it != copy.end(); ++it) {
        for (const void* n : seen) EXPECT_NE(n, it.get_node());
    }
    auto it = copy.begin();
    ++it;
    EXPECT_EQ(1u, it.depth());
    *it = "changed";
    copy.erase(copy.begin_children(copy.begin()));
    EXPECT_EQ((std::vector<std::string>{"root", "a", "a1", "a2", "b", "c", "c1"}), PreOrder(original));
}

TEST(Tree, AssignmentReplacesContentAndSurvivesSelfAssignment) {
    StringTree target;
    target.set_head("old");
    target.append_child(target.begin(), "old child");
    StringTree source = Sample();
    target = source;
    EXPECT_EQ(PreOrder(source), PreOrder(target));
    StringTree& alias = target;
    target = alias;
    EXPECT_EQ(PreOrder(source), PreOrder(target));
    target = StringTree();
    EXPECT_TRUE(target.empty());
}

TEST(Tree, MovedTreeKeepsItsNodesAndEndsCorrectly) {
    StringTree source = Sample();
    StringTree moved(std::move(source));
    EXPECT_EQ(7u, moved.size());
    EXPECT_TRUE(source.empty());
    source.set_head("fresh");
    EXPECT_EQ(1u, source.size());
}

TEST(Tree, WideAndDeepTreesCopyAndDestroyWithoutRecursion) {
    tree<int> deep;
    auto pos = deep.set_head(0);
    for (int i = 1; i < 100000; ++i) pos = deep.append_child(pos, i);
    EXPECT_EQ(99999u, pos.depth());
    tree<int> copy(deep);
    EXPECT_EQ(100000u, copy.size());
    copy.erase(copy.begin_children(copy.begin()));
    EXPECT_EQ(1u, copy.size());

    tree<int> wide;
    auto root = wide.set_head(-1);
    for (int i = 0; i < 1000; ++i) {
        auto p = wide.append_child(root, i);
        for (int d = 0; d < 200; ++d) p = wide.append_child(p, d);
    }
    tree<int> wideCopy;
    wideCopy = wide;
    EXPECT_EQ(1u + 1000u * 201u, wideCopy.size());
}
