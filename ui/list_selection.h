#pragma once

// Which rows of a multi-selection list are selected, as the figuring rules
// take them: one flag per row, in list order.

#include <QListWidget>
#include <array>
#include <cstddef>

template <std::size_t Rows> std::array<bool, Rows> SelectedRows(const QListWidget* list)
{
    std::array<bool, Rows> selected{};
    for (std::size_t row = 0; row < Rows; ++row)
        if (const QListWidgetItem* item = list->item(int(row)))
            selected[row] = item->isSelected();
    return selected;
}
