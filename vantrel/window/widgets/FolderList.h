#pragma once
// A list of the folders of the file system as a tree, showing the current
// folder open and selected. The user opens another folder by selecting it.

#include <QString>
#include <QTreeView>

class QFileSystemModel;

namespace vantrel {

class FolderList : public QTreeView {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // Native path of the current folder; empty before the first setPath.
    QString path() const { return m_path; }
    // Opens the folder (native path) and makes it current.
    void setPath(const QString& folder);

signals:
    // The current folder became another one, by the user or by setPath.
    void pathChanged(const QString& path);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void adopt(const QModelIndex& index);

    QFileSystemModel* m_model;
    QString m_path;
    // The folder setPath opened, while the listings on its way still come in.
    QString m_revealing;
};

}  // namespace vantrel
