#pragma once
// TDocumentObject: a document (Document.h) as the windows see it. It owns
// the document and turns what the document tells into signals, so that any
// window showing it can follow it. The grid window that opened the document
// is its parent: the document closes with that window, and the other views
// (maps, listings) hold it weakly.

#include "data/Document.h"

#include <QObject>
#include <QPointer>
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

// A window that shows a document: the grid window, and the maps and listings
// made from it, which name the document they were made for.
class TDocumentView {
public:
    virtual ~TDocumentView() = default;
    // The document shown; none once it has closed.
    virtual TDocumentObject* ViewedDocument() const = 0;
};

// A map or listing of a document: it holds the document weakly, and names
// it until the document closes.
class TDocumentSnapshot : public TDocumentView {
public:
    TDocumentObject* ViewedDocument() const override { return Document_.data(); }
    void SetViewedDocument(TDocumentObject* document) { Document_ = document; }

private:
    QPointer<TDocumentObject> Document_;
};

// The document a window shows, or none (a window of another kind, or one
// whose document has closed).
inline TDocumentObject* DocumentShownBy(const QObject* window)
{
    const auto* view = dynamic_cast<const TDocumentView*>(window);
    return view ? view->ViewedDocument() : nullptr;
}

}  // namespace nivora
