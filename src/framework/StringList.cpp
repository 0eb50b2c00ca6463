#include "StringList.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "ScopeGuard.h"

namespace {
std::string SystemMessage(DWORD err) {
    char buf[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err, 0, buf,
                             sizeof buf, nullptr);
    std::string s(buf, n);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s.empty() ? "error " + std::to_string(err) : s;
}
}  // namespace

// ---------------------------------------------------------------- TStream

std::int64_t TStream::Size() {
    std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::int64_t left = count;
    std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(std::max<std::int64_t>(left, 1), 1 << 16)));
    while (left > 0) {
        auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buf.size())));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

std::string TStream::ReadRest() {
    std::string out;
    char buf[16384];
    for (;;) {
        std::size_t n = Read(buf, sizeof buf);
        if (n == 0) break;
        out.append(buf, n);
    }
    return out;
}

// ---------------------------------------------------------------- TMemoryStream

TMemoryStream::~TMemoryStream() { std::free(memory_); }

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= size_) return 0;
    auto n = static_cast<std::size_t>(std::min<std::int64_t>(size_ - position_, static_cast<std::int64_t>(count)));
    std::memcpy(buffer, memory_ + position_, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max() - position_)) GrowthFailed(-1);
    std::int64_t end = position_ + static_cast<std::int64_t>(count);
    if (end > size_) {
        std::int64_t oldSize = size_;
        if (end > capacity_) SetCapacity(end);
        // A write past the end leaves no undefined bytes in between.
        if (position_ > oldSize) std::memset(memory_ + oldSize, 0, static_cast<std::size_t>(position_ - oldSize));
        size_ = end;
    }
    std::memcpy(memory_ + position_, buffer, count);
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : size_;
    std::int64_t p = base + offset;
    position_ = std::max<std::int64_t>(0, p);
    return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
    if (size <= 0) {
        Clear();
        return;
    }
    std::int64_t oldSize = size_;
    if (size > capacity_) SetCapacity(size);
    if (size > oldSize) std::memset(memory_ + oldSize, 0, static_cast<std::size_t>(size - oldSize));
    size_ = size;
    if (position_ > size_) position_ = size_;
}

void TMemoryStream::Clear() {
    size_ = 0;
    position_ = 0;
    SetCapacity(0);
}

std::int64_t TMemoryStream::RoundCapacity(std::int64_t wanted) const { return wanted; }

void TMemoryStream::GrowthFailed(std::int64_t) const { throw EStreamError("Out of memory while expanding memory stream"); }

void TMemoryStream::SetCapacity(std::int64_t capacity) {
    if (capacity < size_) capacity = size_;
    std::int64_t rounded = capacity <= 0 ? 0 : RoundCapacity(capacity);
    if (rounded < 0 || static_cast<std::uint64_t>(rounded) > std::numeric_limits<std::size_t>::max()) GrowthFailed(capacity);
    if (rounded == capacity_) return;
    if (rounded == 0) {
        std::free(memory_);
        memory_ = nullptr;
        capacity_ = 0;
        return;
    }
    // realloc keeps the old block when it fails, so nothing is lost.
    void* p = std::realloc(memory_, static_cast<std::size_t>(rounded));
    if (!p) GrowthFailed(capacity);
    memory_ = static_cast<char*>(p);
    capacity_ = rounded;
}

// ---------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : handle_(INVALID_HANDLE_VALUE), fileName_(fileName) {
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    unsigned shareMode = mode == fmCreate ? fmShareExclusive : (mode & 0xF0);
    if (shareMode == fmShareExclusive) share = 0;
    else if (shareMode == fmShareDenyWrite) share = FILE_SHARE_READ;
    if (mode == fmCreate) {
        handle_ = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemMessage(GetLastError()));
        return;
    }
    DWORD access = (mode & 3) == fmOpenWrite ? GENERIC_WRITE : (mode & 3) == fmOpenReadWrite ? GENERIC_READ | GENERIC_WRITE
                                                                                              : GENERIC_READ;
    handle_ = CreateFileA(fileName.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemMessage(GetLastError()));
}

TFileStream::~TFileStream() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    std::size_t total = 0;
    auto* p = static_cast<char*>(buffer);
    while (total < count) {
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30)), got = 0;
        if (!ReadFile(handle_, p + total, want, &got, nullptr) || got == 0) break;
        total += got;
    }
    return total;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    std::size_t total = 0;
    auto* p = static_cast<const char*>(buffer);
    while (total < count) {
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30)), put = 0;
        if (!WriteFile(handle_, p + total, want, &put, nullptr) || put == 0) break;
        total += put;
    }
    return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    LARGE_INTEGER dist, now;
    dist.QuadPart = offset;
    DWORD how = origin == TSeekOrigin::soBeginning ? FILE_BEGIN : origin == TSeekOrigin::soCurrent ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(handle_, dist, &now, how)) return -1;
    return now.QuadPart;
}

void TFileStream::SetSize(std::int64_t size) {
    std::int64_t pos = Position();
    SetPosition(size);
    if (!SetEndOfFile(handle_)) throw EStreamError("Stream write error");
    if (pos < size) SetPosition(pos);
}

// ---------------------------------------------------------------- TStrings

CX_IMPLEMENT_CLASS(TStrings, TPersistent, CX_ABSTRACT, {
    // The lines of a layout; read only, the owning component decides whether
    // and how its lines are stored.
    p.Custom("Strings", [](TStrings& s, TReader& r) { s.SetStrings(r.ReadStringList()); });
})

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0, k = 0;
    while (k < text.size()) {
        char c = text[k];
        if (c == '\r' || c == '\n') {
            out.push_back(text.substr(start, k - start));
            if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
            start = ++k;
        } else {
            ++k;
        }
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

void TStrings::IndexError(int index) const {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStrings::Put(int index, const std::string& s) {
    BeginUpdate();
    ScopeExit endUpdate([this] { EndUpdate(); });
    Delete(index);
    Insert(index, s);
}

int TStrings::Add(const std::string& s) {
    int n = Count();
    Insert(n, s);
    return n;
}

void TStrings::AddStrings(TStrings& other) {
    std::vector<std::string> lines = other.ToVector();
    BeginUpdate();
    ScopeExit endUpdate([this] { EndUpdate(); });
    for (auto& s : lines) Add(s);
}

int TStrings::IndexOf(const std::string& s) {
    int n = Count();
    for (int k = 0; k < n; ++k)
        if (Get(k) == s) return k;
    return -1;
}

std::string TStrings::GetText() {
    std::string out;
    int n = Count();
    for (int k = 0; k < n; ++k) {
        out += Get(k);
        out += "\r\n";
    }
    return out;
}

void TStrings::SetText(const std::string& text) { SetStrings(SplitLines(text)); }

void TStrings::SetStrings(const std::vector<std::string>& lines) {
    BeginUpdate();
    ScopeExit endUpdate([this] { EndUpdate(); });
    Clear();
    for (auto& s : lines) Add(s);
}

std::vector<std::string> TStrings::ToVector() {
    std::vector<std::string> out;
    int n = Count();
    out.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) out.push_back(Get(k));
    return out;
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TStrings::LoadFromFile(const std::string& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TStrings::SaveToFile(const std::string& fileName) {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

void TStrings::LoadFromStream(TStream& stream) { SetText(stream.ReadRest()); }

void TStrings::SaveToStream(TStream& stream) { stream.WriteString(GetText()); }

void TStrings::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TStrings*>(source)) {
        if (s != this) SetStrings(s->ToVector());
        return;
    }
    TPersistent::Assign(source);
}

// ---------------------------------------------------------------- TStringList

CX_IMPLEMENT_CLASS(TStringList, TStrings, CX_ABSTRACT, {})

std::string TStringList::Get(int index) {
    if (index < 0 || index >= Count()) IndexError(index);
    return items_[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, const std::string& s) {
    if (index < 0 || index >= Count()) IndexError(index);
    items_[static_cast<std::size_t>(index)] = s;
    Changed();
}

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) IndexError(index);
    items_.insert(items_.begin() + index, s);
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) IndexError(index);
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TStringList::SetUpdateState(bool updating) {
    if (!updating) Changed();
}

void TStringList::Changed() {
    if (!Updating() && OnChange) OnChange(this);
}
