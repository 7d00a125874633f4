#pragma once

#include <QVariant>

#include <span>

class QTableView;

// What the Output Log's and the Preview's tables share: a row per item, chosen whole and
// one at a time, never edited, one line high with room for a row image, and left-aligned
// column titles.

// Gives `list` that look; the caller adds its columns' widths and header behaviour.
void PrepareRowTable(QTableView* list);

// A model's headerData for columns titled `titles`: the title, left-aligned.
QVariant RowTableHeader(std::span<const char* const> titles, int section,
                        Qt::Orientation orientation, int role);

// The alignment of every cell and title.
QVariant RowTableAlignment();
