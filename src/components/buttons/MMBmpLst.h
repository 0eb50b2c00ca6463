// The picture list of the button family: an ordered list of bitmaps that
// picture buttons take their glyph strips from (by BitmapList and
// BitmapIndex). The list tells the controls that use it when it changes.
//
// Stored form, the binary property "Bitmaps" (all integers little-endian):
//   u32 count
//   count times: u32 length, then that many bytes of a bitmap file ("BM"...)
// A payload that is short, has bytes left over, a count the bytes cannot hold
// or a picture that is not a valid bitmap file is refused as a whole, with
// the picture's number in the message; the list keeps what it held.
// docs/bitmap-list.md says the same, with an example.
#pragma once

#include <memory>
#include <vector>

#include "Graphics.h"

class TMMCustomBitmapListControl;

class TMMBitmapList : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TMMBitmapList(TComponent* owner);
    ~TMMBitmapList() override;

    int Count() const { return static_cast<int>(bitmaps_.size()); }
    // The picture at index, or null outside the list.
    TBitmap* Bitmaps(int index) const;
    // Adds a copy of the bitmap; returns its index.
    int Add(TBitmap* bitmap);
    void Replace(int index, TBitmap* bitmap);
    void Delete(int index);
    void Clear();

    // The stored form described above.
    void LoadFromBytes(const std::string& payload);  // raises EReadError
    std::string SaveToBytes() const;
    void LoadData(layout::Reader& r);
    void SaveData(layout::Writer& w) const;
    void DefineProperties(TFiler& filer) override;

    // Controls that draw from this list hear of every change.
    void AddClient(TMMCustomBitmapListControl* c);
    void RemoveClient(TMMCustomBitmapListControl* c);

protected:
    void Notification(TComponent* c, TOperation op) override;

private:
    void Changed();
    std::vector<std::unique_ptr<TBitmap>> bitmaps_;
    std::vector<TMMCustomBitmapListControl*> clients_;
};
