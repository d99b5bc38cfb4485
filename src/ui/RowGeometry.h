#pragma once

#include <vector>

// The vertical extent of a column of rows of varying heights with a fixed
// gap between them. Heights are kept in a Fenwick tree, so that changing one
// row's height, finding a row's top and finding the row at a position each
// take O(log n), whatever the length of the list.
class RowGeometry {
public:
    explicit RowGeometry(int spacing) : m_spacing(spacing) {}

    int count() const { return int(m_heights.size()); }
    int spacing() const { return m_spacing; }
    int height(int row) const { return m_heights[std::size_t(row)]; }
    // The y of the row's top edge; top(count()) is just below the last gap.
    int top(int row) const;
    // From the first row's top to the last row's bottom.
    int total() const;
    // The row whose band (its height and the gap below it) holds y, or -1
    // when y lies above the first row or below the last.
    int rowAt(int y) const;

    void append(int height);
    void setHeight(int row, int height);
    void insert(int row, const std::vector<int> &heights);
    void remove(int first, int count);
    void assign(std::vector<int> heights);

private:
    void rebuild();

    int m_spacing;
    std::vector<int> m_heights;
    std::vector<int> m_tree; // 1-based: m_tree[i] sums the bands of rows (i - lowbit(i), i]
};
