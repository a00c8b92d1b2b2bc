#pragma once

class QWidget;

// Input aimed at the tree while a command runs is dropped, never applied later: a click
// waiting in the queue would be applied to the tree as the command has left it, where its
// place may now hold another branch. Made at the start of a command; when the command ends
// normally it takes the clicks and keys still waiting for the tree out of the queue. (When
// the command fails, its error box drops them: the window is blocked while the box stands.)
class TreeInputDrop {
public:
    explicit TreeInputDrop(QWidget* tree) : tree_(tree) {}
    ~TreeInputDrop();
    TreeInputDrop(const TreeInputDrop&) = delete;
    TreeInputDrop& operator=(const TreeInputDrop&) = delete;

private:
    QWidget* tree_;
};
