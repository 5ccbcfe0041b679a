#include "data/DocumentObject.h"

namespace nivora {

TDocumentObject::TDocumentObject(std::unique_ptr<TDocument> document, QObject* parent)
    : QObject(parent), Document_(std::move(document))
{
    setObjectName("Document");
    Document_->SetObservers({.CellsChanged = [this] { emit CellsChanged(); },
                             .HistoryChanged = [this] { emit HistoryChanged(); },
                             .SavedChanged = [this](bool saved) { emit SavedChanged(saved); },
                             .FileNameChanged = [this] { emit FileNameChanged(); },
                             .GeoreferenceChanged = [this] { emit GeoreferenceChanged(); }});
}

void TDocumentObject::PlansEdited()
{
    emit PlansChanged();
    emit SavedChanged(Document_->IsSaved());
}

}  // namespace nivora
