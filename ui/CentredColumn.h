#pragma once

#include <QVBoxLayout>
#include <QWidget>

namespace zelvorin::ui {

// The layout of the screens before the shell (sign-in, a new account): one column of `width` in
// the middle of `page`, whatever the window's size. Returns the column's layout to fill.
inline QVBoxLayout* centredColumn(QWidget* page, int width) {
    auto* column = new QWidget;
    column->setFixedWidth(width);
    auto* inner = new QVBoxLayout(column);
    auto* layout = new QVBoxLayout(page);
    layout->addStretch();
    layout->addWidget(column, 0, Qt::AlignHCenter);
    layout->addStretch();
    return inner;
}

}  // namespace zelvorin::ui
