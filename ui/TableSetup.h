#pragma once

#include <QHeaderView>
#include <QTableView>

namespace zelvorin::ui {

// The sections' lists: whole rows selected, nothing edited in place, fixed row heights (the view
// never measures every row), the column `stretch` taking the room that is left.
inline QTableView* listTable(QAbstractItemModel* model, int stretch) {
    auto* table = new QTableView;
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(28);
    table->horizontalHeader()->setDefaultSectionSize(130);
    table->horizontalHeader()->setSectionResizeMode(stretch, QHeaderView::Stretch);
    return table;
}

}  // namespace zelvorin::ui
