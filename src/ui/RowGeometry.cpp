#include "RowGeometry.h"

namespace {

int lowbit(int i) {
    return i & -i;
}

} // namespace

int RowGeometry::top(int row) const {
    int sum = 0;
    for (int i = row; i > 0; i -= lowbit(i))
        sum += m_tree[std::size_t(i)];
    return sum;
}

int RowGeometry::total() const {
    return m_heights.empty() ? 0 : top(count()) - m_spacing;
}

int RowGeometry::rowAt(int y) const {
    if (y < 0)
        return -1;
    // Descend the tree for the number of whole bands that end at or above y.
    int row = 0;
    int rest = y;
    int step = 1;
    while (step * 2 <= count())
        step *= 2;
    for (; step > 0; step /= 2) {
        const int next = row + step;
        if (next <= count() && m_tree[std::size_t(next)] <= rest) {
            row = next;
            rest -= m_tree[std::size_t(next)];
        }
    }
    return row < count() ? row : -1;
}

void RowGeometry::append(int height) {
    m_heights.push_back(height);
    if (m_tree.empty())
        m_tree.push_back(0);
    const int i = count();
    // The new node covers rows (i - lowbit(i), i]: the earlier ones are summed
    // from the tree as it stands.
    m_tree.push_back(height + m_spacing + top(i - 1) - top(i - lowbit(i)));
}

void RowGeometry::setHeight(int row, int height) {
    const int delta = height - m_heights[std::size_t(row)];
    if (delta == 0)
        return;
    m_heights[std::size_t(row)] = height;
    for (int i = row + 1; i <= count(); i += lowbit(i))
        m_tree[std::size_t(i)] += delta;
}

void RowGeometry::insert(int row, const std::vector<int> &heights) {
    if (row == count()) {
        for (int h : heights)
            append(h);
        return;
    }
    m_heights.insert(m_heights.begin() + row, heights.begin(), heights.end());
    rebuild();
}

void RowGeometry::remove(int first, int count) {
    m_heights.erase(m_heights.begin() + first, m_heights.begin() + first + count);
    rebuild();
}

void RowGeometry::assign(std::vector<int> heights) {
    m_heights = std::move(heights);
    rebuild();
}

void RowGeometry::rebuild() {
    m_tree.assign(m_heights.size() + 1, 0);
    for (int i = 1; i <= count(); ++i) {
        m_tree[std::size_t(i)] += m_heights[std::size_t(i - 1)] + m_spacing;
        if (const int parent = i + lowbit(i); parent <= count())
            m_tree[std::size_t(parent)] += m_tree[std::size_t(i)];
    }
}
