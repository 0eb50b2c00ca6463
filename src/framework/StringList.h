// Byte streams (memory and file) and string lists: the containers that
// documents, line lists and settings travel through. A string list is a
// sequence of lines; its text form ends every line with CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"

class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EStringListError : public Exception {
public:
    using Exception::Exception;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
    // Reads or writes at most count bytes at the position; returns how many.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position; returns the new one.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t p) { Seek(p, TSeekOrigin::soBeginning); }
    // Whole transfers: "Stream read error" / "Stream write error" when short.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    void WriteString(const std::string& s) { WriteBuffer(s.data(), s.size()); }
    // Copies count bytes from source's position (count 0: all of source from its start).
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
    // The bytes from the position to the end.
    std::string ReadRest();
};

// A stream in one block of memory that grows as it is written.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return size_; }
    void SetSize(std::int64_t size) override;
    void Clear();

    const char* Memory() const { return memory_; }
    std::int64_t Capacity() const { return capacity_; }
    void SetCapacity(std::int64_t capacity);
    std::string Bytes() const { return std::string(memory_ ? memory_ : "", static_cast<std::size_t>(size_)); }

protected:
    // The block size to allocate for a wanted capacity, or -1 when none can be.
    virtual std::int64_t RoundCapacity(std::int64_t wanted) const;
    // Raised when the block cannot grow; the stream is left as it was.
    [[noreturn]] virtual void GrowthFailed(std::int64_t wanted) const;

private:
    char* memory_ = nullptr;
    std::int64_t size_ = 0;
    std::int64_t capacity_ = 0;
    std::int64_t position_ = 0;
};

enum TFileMode : unsigned {
    fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010, fmShareDenyWrite = 0x0020, fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF
};

// A file opened (or created) for the life of the object.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    const std::string& FileName() const { return fileName_; }

private:
    void* handle_;
    std::string fileName_;
};

// An ordered list of lines. Descendants keep the lines somewhere (a vector,
// a document window) and answer the abstract operations.
class TStrings : public TPersistent {
    CX_DECLARE_CLASS()
public:
    virtual int Count() = 0;
    virtual std::string Get(int index) = 0;
    virtual void Put(int index, const std::string& s);
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const std::string& s);
    virtual void AddStrings(TStrings& other);
    int IndexOf(const std::string& s);
    std::string operator[](int index) { return Get(index); }

    // Every line followed by CR LF.
    virtual std::string GetText();
    // Splits at CR LF, lone CR and lone LF; a final line break adds no empty line.
    virtual void SetText(const std::string& text);
    virtual void SetStrings(const std::vector<std::string>& lines);
    std::vector<std::string> ToVector();

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream);

    void Assign(TPersistent* source) override;

protected:
    // Called when the first BeginUpdate starts and the last EndUpdate ends.
    virtual void SetUpdateState(bool) {}
    [[noreturn]] void IndexError(int index) const;

private:
    int updateCount_ = 0;
};

class TStringList : public TStrings {
    CX_DECLARE_CLASS()
public:
    TStringList() = default;
    int Count() override { return static_cast<int>(items_.size()); }
    std::string Get(int index) override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    TNotifyEvent OnChange;

protected:
    void SetUpdateState(bool updating) override;

private:
    void Changed();
    std::vector<std::string> items_;
};

// Splits text into lines at CR LF, lone CR and lone LF.
std::vector<std::string> SplitLines(const std::string& text);
