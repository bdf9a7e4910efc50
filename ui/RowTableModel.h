#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace zelvorin::ui {

// A table over the rows a repository delivered: it formats cells through its columns and keeps no
// state of its own besides the last delivered rows, which it replaces whole.
template <class Row>
class RowTableModel final : public QAbstractTableModel {
public:
    struct Column {
        QString title;
        std::function<QString(const Row&)> text;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    explicit RowTableModel(std::vector<Column> columns, QObject* parent = nullptr)
        : QAbstractTableModel(parent), columns_(std::move(columns)) {}

    void setRows(std::vector<Row> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    const std::vector<Row>& rows() const { return rows_; }
    const Row& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(columns_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const Column& column = columns_[static_cast<std::size_t>(index.column())];
        if (role == Qt::DisplayRole) return column.text(row(index.row()));
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column.alignment);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return columns_[static_cast<std::size_t>(section)].title;
    }

private:
    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

inline QString qText(const std::string& text) {
    return QString::fromStdString(text);
}
inline QString qText(const std::optional<std::string>& text) {
    return text ? QString::fromStdString(*text) : QString();
}

}  // namespace zelvorin::ui
