#pragma once
// TDocumentObject: a document (Document.h) as the windows see it. It owns
// the document and turns what the document tells into signals, so that any
// window showing it can follow it. The grid window that opened the document
// is its parent: the document closes with that window, and the other views
// (maps, listings) hold it weakly.

#include "data/Document.h"

#include <QObject>
#include <QString>

#include <memory>

namespace nivora {

class TDocumentObject : public QObject {
    Q_OBJECT
public:
    TDocumentObject(std::unique_ptr<TDocument> document, QObject* parent);

    TDocument& Document() { return *Document_; }
    const TDocument& Document() const { return *Document_; }
    TTerreno& Terrain() { return Document_->Terrain(); }
    const TTerreno& Terrain() const { return Document_->Terrain(); }

    // The project file, empty while the document has none.
    QString FileName() const { return QString::fromStdString(Document_->FileName()); }
    void SetFileName(const QString& name) { Document_->SetFileName(name.toStdString()); }

    // The plans were computed or edited: the views of the results follow.
    void PlansEdited();

signals:
    void CellsChanged();
    void HistoryChanged();
    void PlansChanged();
    void SavedChanged(bool saved);
    void FileNameChanged();
    void GeoreferenceChanged();

private:
    std::unique_ptr<TDocument> Document_;
};

}  // namespace nivora
