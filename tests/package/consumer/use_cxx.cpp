// A C++ program using the installed headers: sorting keys in path order.
#include <cellkeys.hpp>

#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    cellkeys::fill_tables();
    const CellKey cell = cellkeys::from_ijk(3, 5, 3, 6);
    std::vector<CellKey> keys = {cellkeys::child(cell, 1), cell, cellkeys::root(),
                                 cellkeys::parent(cell)};
    std::sort(keys.begin(), keys.end());
    const bool ok = keys[0] == cellkeys::root() && keys[1] == cellkeys::parent(cell) &&
                    keys[2] == cell && cellkeys::level(keys[3]) == 4;
    if (!ok)
        std::fprintf(stderr, "use_cxx: keys out of path order\n");
    return ok ? 0 : 1;
}
