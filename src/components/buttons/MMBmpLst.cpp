#include "buttons/MMBmpLst.h"

#include <algorithm>

#include "buttons/MMBmpBtn.h"

CX_IMPLEMENT_CLASS(TMMBitmapList, TComponent, CX_CREATE(TMMBitmapList), {})

TMMBitmapList::TMMBitmapList(TComponent* owner) : TComponent(owner) {}

TMMBitmapList::~TMMBitmapList() {
    // The controls hear of the removal through the free notification.
    clients_.clear();
}

TBitmap* TMMBitmapList::Bitmaps(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return bitmaps_[static_cast<std::size_t>(index)].get();
}

int TMMBitmapList::Add(TBitmap* bitmap) {
    auto copy = std::make_unique<TBitmap>();
    if (bitmap) copy->Assign(bitmap);
    bitmaps_.push_back(std::move(copy));
    Changed();
    return Count() - 1;
}

void TMMBitmapList::Replace(int index, TBitmap* bitmap) {
    if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
    bitmaps_[static_cast<std::size_t>(index)]->Assign(bitmap);
    Changed();
}

void TMMBitmapList::Delete(int index) {
    if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
    bitmaps_.erase(bitmaps_.begin() + index);
    Changed();
}

void TMMBitmapList::Clear() {
    if (bitmaps_.empty()) return;
    bitmaps_.clear();
    Changed();
}

void TMMBitmapList::LoadData(layout::Reader& r) {
    std::uint32_t count = r.U32();
    // Every picture needs at least its length word.
    if (count > r.Remaining() / 4) r.Fail("picture count " + std::to_string(count) + " exceeds the data");
    std::vector<std::unique_ptr<TBitmap>> loaded;
    for (std::uint32_t k = 0; k < count; ++k) {
        std::uint32_t length = r.U32();
        if (length > r.Remaining()) r.Fail("picture " + std::to_string(k) + " is cut short");
        std::string file = r.Bytes(length);
        auto bmp = std::make_unique<TBitmap>();
        try {
            bmp->LoadFromBytes(file);
        } catch (const Exception& e) {
            r.Fail("picture " + std::to_string(k) + ": " + e.what());
        }
        loaded.push_back(std::move(bmp));
    }
    if (!r.AtEnd()) r.Fail("unexpected bytes after the pictures");
    bitmaps_ = std::move(loaded);
    Changed();
}

void TMMBitmapList::SaveData(layout::Writer& w) const {
    w.U32(static_cast<std::uint32_t>(bitmaps_.size()));
    for (auto& b : bitmaps_) {
        std::string file = b->SaveToBytes();
        w.U32(static_cast<std::uint32_t>(file.size()));
        w.Bytes(file);
    }
}

void TMMBitmapList::LoadFromBytes(const std::string& payload) {
    layout::Reader r(payload.data(), payload.size());
    r.component = NamePath();
    r.property = "Bitmaps";
    try {
        LoadData(r);
    } catch (const layout::StreamError& e) {
        throw EReadError(e.what());
    }
}

std::string TMMBitmapList::SaveToBytes() const {
    layout::Writer w;
    SaveData(w);
    return w.Take();
}

void TMMBitmapList::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Bitmaps", [this](layout::Reader& r) { LoadData(r); }, [this](layout::Writer& w) { SaveData(w); },
        !bitmaps_.empty());
}

void TMMBitmapList::AddClient(TMMCustomBitmapListControl* c) {
    if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) clients_.push_back(c);
    FreeNotification(c);
}

void TMMBitmapList::RemoveClient(TMMCustomBitmapListControl* c) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), c), clients_.end());
}

void TMMBitmapList::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op != TOperation::opRemove) return;
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                  [c](TMMCustomBitmapListControl* x) { return static_cast<TComponent*>(x) == c; }),
                   clients_.end());
}

void TMMBitmapList::Changed() {
    for (TMMCustomBitmapListControl* c : std::vector<TMMCustomBitmapListControl*>(clients_)) c->BitmapListChanged();
}
