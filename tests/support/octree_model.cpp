#include "octree_model.hpp"

#include <algorithm>
#include <iterator>
#include <string>

namespace octree_model {

namespace {

int digit_at(const Cell& digits, int level)
{
    return level <= static_cast<int>(digits.size()) ? digits[level - 1] : 0;
}

Cell with(const Cell& cell, int digit)
{
    Cell out = cell;
    out.push_back(digit);
    return out;
}

bool starts_with(const Cell& cell, const Cell& prefix)
{
    return cell.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), cell.begin());
}

}  // namespace

Model::Model(int capacity, const Row& untouched)
    : capacity_(capacity), stale_(capacity + 1, untouched)
{}

Row Model::live_row(int node) const
{
    Row row = stale_[node];
    const Cell& cell = cell_of_.at(node);
    for (int j = 0; j < 8; ++j) {
        row.slots[j] = slots_.at(with(cell, j));
    }
    return row;
}

void Model::reset(char letter)
{
    for (const auto& [node, cell] : cell_of_) {
        stale_[node] = live_row(node);
    }
    slots_.clear();
    node_of_.clear();
    cell_of_.clear();
    node_of_[{}] = 1;
    cell_of_[1] = {};
    stale_[1].parent = 0;
    for (int j = 0; j < 8; ++j) {
        slots_[{j}] = Slot{letter, 0};
    }
    count_ = 1;
}

Cell Model::walk(const Cell& digits, int last) const
{
    Cell cell;
    for (int level = 1;; ++level) {
        cell.push_back(digit_at(digits, level));
        if (slots_.at(cell).letter != 'N' || level >= last) {
            return cell;
        }
    }
}

bool Model::create(const Cell& cell, char fill)
{
    if (count_ >= capacity_) {
        return false;
    }
    // A cell that had a node (hidden by a mark) gets a new one; the old
    // node and everything below it keep their rows but leave the tree.
    if (node_of_.count(cell)) {
        for (auto it = cell_of_.begin(); it != cell_of_.end();) {
            if (starts_with(it->second, cell)) {
                stale_[it->first] = live_row(it->first);
                node_of_.erase(it->second);
                it = cell_of_.erase(it);
            } else {
                ++it;
            }
        }
        for (auto it = slots_.begin(); it != slots_.end();) {
            it = it->first.size() > cell.size() && starts_with(it->first, cell) ? slots_.erase(it)
                                                                                : std::next(it);
        }
    }
    const int made = ++count_;
    Cell up = cell;
    up.pop_back();
    stale_[made].parent = node_of_.at(up);
    node_of_[cell] = made;
    cell_of_[made] = cell;
    slots_[cell] = Slot{'N', made};
    for (int j = 0; j < 8; ++j) {
        slots_[with(cell, j)] = Slot{fill, 0};
    }
    return true;
}

char Model::refine(const Cell& digits)
{
    const int last = static_cast<int>(digits.size());
    const Cell cell = walk(digits, last);
    const char letter = slots_.at(cell).letter;
    if (letter == 'U') {
        return create(cell, 'U') ? 'N' : 'E';
    }
    if (letter == 'T' || letter == 'O' || letter == 'P') {
        return letter;
    }
    return 'E';
}

char Model::refine_fill(const Cell& digits, int level, char fill)
{
    if (level > 20) {
        return 'E';
    }
    const Cell cell = walk(digits, level);
    if (slots_.at(cell).letter == 'N') {
        return 'E';
    }
    return create(cell, fill) ? fill : 'E';
}

char Model::put_value(const Cell& digits, std::int32_t value, bool only_free)
{
    Slot& slot = slots_.at(walk(digits, static_cast<int>(digits.size())));
    const char letter = slot.letter;
    if (letter == 'U' || (letter == 'O' && !only_free)) {
        slot = Slot{'T', value};
        return 'N';
    }
    if (letter == 'T' || letter == 'O' || letter == 'P') {
        return letter;
    }
    return 'E';
}

char Model::replace_value(const Cell& digits, std::int32_t value)
{
    Slot& slot = slots_.at(walk(digits, static_cast<int>(digits.size())));
    switch (slot.letter) {
    case 'T': slot.word = value; return 'N';
    case 'O':
    case 'P':
    case 'U': return slot.letter;
    default: return 'E';
    }
}

Found Model::lookup(const Cell& digits) const
{
    const Cell cell = walk(digits, static_cast<int>(digits.size()));
    const Slot& slot = slots_.at(cell);
    const std::int32_t level = static_cast<std::int32_t>(cell.size());
    switch (slot.letter) {
    case 'N':
    case 'T': return Found{slot.letter, level, slot.word};
    case 'O':
    case 'P':
    case 'U': return Found{slot.letter, level, 0};
    default: return Found{'E', level, 0};
    }
}

char Model::mark_slot(const Cell& digits, char letter)
{
    Slot& slot = slots_.at(walk(digits, static_cast<int>(digits.size())));
    const std::string known = "NTOPU";
    if (known.find(slot.letter) == std::string::npos) {
        return 'E';
    }
    slot.letter = letter;
    return letter;
}

bool Model::can_mark_n(const Cell& digits) const
{
    const Cell cell = walk(digits, static_cast<int>(digits.size()));
    const auto node = node_of_.find(cell);
    return node != node_of_.end() && slots_.at(cell).word == node->second;
}

std::vector<std::int32_t> Model::parent_array() const
{
    std::vector<std::int32_t> out;
    for (int n = 1; n <= capacity_; ++n) {
        out.push_back(stale_[n].parent);
    }
    return out;
}

std::vector<std::int32_t> Model::child_array() const
{
    std::vector<std::int32_t> out;
    for (int n = 1; n <= capacity_; ++n) {
        const Row row = cell_of_.count(n) ? live_row(n) : stale_[n];
        for (const Slot& slot : row.slots) {
            out.push_back(slot.word);
        }
    }
    return out;
}

std::vector<char> Model::state_array() const
{
    std::vector<char> out;
    for (int n = 1; n <= capacity_; ++n) {
        const Row row = cell_of_.count(n) ? live_row(n) : stale_[n];
        for (const Slot& slot : row.slots) {
            out.push_back(slot.letter);
        }
    }
    return out;
}

}  // namespace octree_model
