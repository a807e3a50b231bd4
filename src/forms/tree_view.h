#pragma once
// A tree view of top-level nodes (numbered from 0), each with a text, a key
// and a check mark.

#include <string>
#include <vector>

#include "forms/control.h"

namespace forms {

struct TreeNode {
    std::string text;
    std::string key;
    bool checked = false;
};

class TreeView : public Control {
public:
    using Control::Control;

    int Count() const { return static_cast<int>(nodes_.size()); }
    const std::vector<TreeNode>& Nodes() const { return nodes_; }
    // Throws std::out_of_range for an index that is not a node.
    const TreeNode& Node(int index) const { return nodes_.at(index); }
    int AddNode(const std::string& text, const std::string& key = {});
    void Clear();
    // The node with that key; -1 when there is none.
    int FindKey(const std::string& key) const;
    // The setters refuse an index that is not a node (false, nothing changes).
    bool SetNodeText(int index, const std::string& text);
    bool SetChecked(int index, bool checked);

    bool CheckBoxes() const { return checkBoxes_; }
    void SetCheckBoxes(bool on) { Set(checkBoxes_, on); }

private:
    bool Valid(int index) const { return index >= 0 && index < Count(); }

    std::vector<TreeNode> nodes_;
    bool checkBoxes_ = false;
};

}  // namespace forms
