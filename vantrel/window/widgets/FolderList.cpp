#include "FolderList.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

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
    // The listings on the way to the folder come in later, from the model's
    // thread, and their rows push the folder's own down: it is brought back
    // into view as they come, until the user scrolls or chooses another.
    const auto reveal = [this] {
        if (m_revealing.isEmpty()) return;
        QTimer::singleShot(0, this, [this] {
            const QModelIndex index = m_model->index(m_revealing);
            if (m_revealing.isEmpty() || !index.isValid() || currentIndex() != index) return;
            scrollTo(index, QAbstractItemView::PositionAtCenter);
        });
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, reveal);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, reveal);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this] { m_revealing.clear(); });
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
    m_revealing = m_model->filePath(index);
}

// Once the user works the tree, where it stands is the user's.
void FolderList::mousePressEvent(QMouseEvent* event) {
    m_revealing.clear();
    QTreeView::mousePressEvent(event);
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    m_revealing.clear();
    QTreeView::keyPressEvent(event);
}

void FolderList::wheelEvent(QWheelEvent* event) {
    m_revealing.clear();
    QTreeView::wheelEvent(event);
}

void FolderList::adopt(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QString folder = QDir::toNativeSeparators(m_model->filePath(index));
    if (folder == m_path) return;
    m_path = folder;
    emit pathChanged(m_path);
}

}  // namespace vantrel
