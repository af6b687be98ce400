#include "FolderList.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>

namespace vantrel {

FolderList::FolderList(QWidget* parent) : QTreeView(parent), m_model(new QFileSystemModel(this)) {
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());
    setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column) hideColumn(column);
    header()->hide();
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { adopt(current); });
}

void FolderList::setPath(const QString& folder) {
    const QModelIndex index = m_model->index(QDir::fromNativeSeparators(folder));
    if (!index.isValid()) {
        // A folder the model cannot show still becomes the current path, so
        // the target folder box never silently keeps a stale one.
        if (m_path != folder) {
            m_path = folder;
            emit pathChanged(m_path);
        }
        return;
    }
    setCurrentIndex(index);
    expand(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    adopt(index);
}

void FolderList::adopt(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QString folder = QDir::toNativeSeparators(m_model->filePath(index));
    if (folder == m_path) return;
    m_path = folder;
    emit pathChanged(m_path);
}

}  // namespace vantrel
