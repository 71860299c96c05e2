// Merging of intruding masses. Boxes are grown by the clustering distance, pairs whose grown
// boxes hold a corner of one another are joined in a union-find, and the plane is rewritten.
#include "mass_merging.h"

#include "mass_labelling.h"

#include <cstring>

namespace {

struct Box {
    uint32_t first_row, last_row, first_column, last_column;
};

// Working data of one call, fixed in size.
bool present[mass_table_size];
Box boxes[mass_table_size];
uint8_t parent[mass_table_size]; // union-find; every root is the smallest label of its group
uint8_t group_of_root[mass_table_size];
uint8_t new_label[mass_table_size];

bool inside(const Box &box, uint32_t row, uint32_t column)
{
    return box.first_row <= row && row <= box.last_row && box.first_column <= column &&
           column <= box.last_column;
}

// One of the four corners of `a` lies inside `b`.
bool corner_inside(const Box &a, const Box &b)
{
    return inside(b, a.first_row, a.first_column) || inside(b, a.first_row, a.last_column) ||
           inside(b, a.last_row, a.first_column) || inside(b, a.last_row, a.last_column);
}

// Growing a bound by e, clamped to 0 below and to `limit` (which bound <= limit) above.
uint32_t grow_down(uint32_t bound, uint32_t e) { return bound >= e ? bound - e : 0; }
uint32_t grow_up(uint32_t bound, uint32_t e, uint32_t limit)
{
    return e < limit - bound ? bound + e : limit;
}

uint8_t find_root(uint8_t k)
{
    while (parent[k] != k) {
        parent[k] = parent[parent[k]];
        k = parent[k];
    }
    return k;
}

// Hanging the larger root under the smaller keeps each root the smallest label of its group,
// which is the representative the numbering orders groups by.
void join(uint8_t a, uint8_t b)
{
    const uint8_t ra = find_root(a), rb = find_root(b);
    if (ra < rb)
        parent[rb] = ra;
    else if (rb < ra)
        parent[ra] = rb;
}

} // namespace

void Accorpamento_Delle_Masse_Intruse(uint8_t *plane, uint32_t righe_della_matrice,
                                      uint32_t colonne_della_matrice, uint32_t estensione)
{
    const uint32_t rows = righe_della_matrice, cols = colonne_della_matrice, e = estensione;
    const uint32_t pixels = rows * cols;
    if (pixels == 0)
        return;

    for (uint32_t k = 1; k <= max_masses; ++k) {
        present[k] = false;
        boxes[k] = {rows - 1, 0, cols - 1, 0};
    }

    // Boxes of the raw labels 1 ... 254. A run of one label within a row moves its box only by
    // the run's two end columns, so each run is handled at once.
    for (uint32_t row = 0; row < rows; ++row) {
        const uint32_t start = row * cols, end = start + cols;
        uint32_t p = next_marked_pixel(plane, start, end);
        while (p < end) {
            const uint8_t label = plane[p];
            const uint32_t after = end_of_run(plane, p, end);
            if (label != 255) {
                Box &box = boxes[label];
                present[label] = true;
                if (row < box.first_row)
                    box.first_row = row;
                if (row > box.last_row)
                    box.last_row = row;
                if (p - start < box.first_column)
                    box.first_column = p - start;
                if (after - 1 - start > box.last_column)
                    box.last_column = after - 1 - start;
            }
            p = next_marked_pixel(plane, after, end);
        }
    }

    // Labels 1 ... n take part: the run of present labels from 1.
    uint32_t n = 0;
    while (n < max_masses && present[n + 1])
        ++n;

    for (uint32_t k = 1; k <= n; ++k) {
        Box &box = boxes[k];
        box.first_row = grow_down(box.first_row, e);
        box.first_column = grow_down(box.first_column, e);
        box.last_row = grow_up(box.last_row, e, rows - 1);
        box.last_column = grow_up(box.last_column, e, cols - 1);
        parent[k] = static_cast<uint8_t>(k);
    }

    // The closure of the corner relation is the set of connected groups of related pairs.
    for (uint32_t i = 1; i <= n; ++i)
        for (uint32_t j = i + 1; j <= n; ++j)
            if (find_root(uint8_t(i)) != find_root(uint8_t(j)) &&
                (corner_inside(boxes[i], boxes[j]) || corner_inside(boxes[j], boxes[i])))
                join(uint8_t(i), uint8_t(j));

    // Groups numbered in the order of their smallest label.
    uint8_t next = 1;
    for (uint32_t v = 1; v <= n; ++v)
        if (find_root(uint8_t(v)) == v)
            group_of_root[v] = next++;

    bool identity = true;
    new_label[0] = 0;
    for (uint32_t k = 1; k < mass_table_size; ++k) {
        if (k <= n)
            new_label[k] = group_of_root[find_root(uint8_t(k))];
        else
            new_label[k] = k == 255 ? 0 : uint8_t(k); // 255 has no group: it joins no mass
        identity = identity && new_label[k] == k;
    }
    if (identity)
        return;

    uint32_t p = next_marked_pixel(plane, 0, pixels);
    while (p < pixels) {
        const uint32_t after = end_of_run(plane, p, pixels);
        std::memset(plane + p, new_label[plane[p]], after - p);
        p = next_marked_pixel(plane, after, pixels);
    }
}
