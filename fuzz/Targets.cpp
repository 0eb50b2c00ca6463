#include "Targets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Classes.h"
#include "core/BmpFile.h"
#include "core/LayoutStream.h"
#include "RegionBands.h"
#include "core/StoredData.h"

namespace {

// A picture as a sub-object: its data read through the picture reader.
class TFuzzPicture : public TPersistent {
    CX_DECLARE_CLASS()
public:
    void DefineProperties(TFiler& filer) override {
        filer.DefineBinaryProperty(
            "Data",
            [this](layout::Reader& r) {
                stored::Picture p;
                if (stored::ReadPicture(r, p)) width = p.header.width;
            },
            nullptr, false);
    }
    std::int32_t width = 0;
};
CX_IMPLEMENT_CLASS(TFuzzPicture, TPersistent, CX_ABSTRACT, {})

class TFuzzFont : public TPersistent {
    CX_DECLARE_CLASS()
public:
    std::string name;
    std::int32_t size = 0;
};
CX_IMPLEMENT_CLASS(TFuzzFont, TPersistent, CX_ABSTRACT, {
    p.Str("Name", [](TFuzzFont& f) { return f.name; }, [](TFuzzFont& f, const std::string& v) { f.name = v; });
    p.Int("Size", [](TFuzzFont& f) { return f.size; }, [](TFuzzFont& f, std::int32_t v) { f.size = v; });
})

const EnumNames kAlign = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
const EnumNames kOptions = {"ifUseWindowsDrag", "ifDragOutline", "ifDragMinimized"};

// One component class with every kind of property the layouts use.
class TFuzzComponent : public TComponent {
    CX_DECLARE_CLASS()
public:
    using TComponent::TComponent;
    void AdoptChild(TComponent* c) override { children.push_back(c); }
    void DefineProperties(TFiler& filer) override {
        filer.DefineBinaryProperty(
            "Data", [this](layout::Reader& r) { document = stored::ReadDocument(r); }, nullptr, false);
        filer.DefineBinaryProperty(
            "RegionData", [this](layout::Reader& r) { outline = stored::ReadOutline(r); }, nullptr, false);
        filer.DefineIntProperty("RichEditVersion", [this](std::int32_t v) { version = v; }, nullptr, false);
    }
    std::int32_t left = 0, version = 0;
    double scale = 0;
    bool visible = false;
    TColor color = 0;
    int align = 0;
    std::uint32_t options = 0;
    std::string caption, document, outline;
    std::vector<std::string> lines;
    TComponent* partner = nullptr;
    TFuzzFont font;
    TFuzzPicture picture;
    std::vector<TComponent*> children;
};
using C = TFuzzComponent;
CX_IMPLEMENT_CLASS(TFuzzComponent, TComponent, CX_CREATE(TFuzzComponent), {
    p.Int("Left", [](C& c) { return c.left; }, [](C& c, std::int32_t v) { c.left = v; });
    p.Float("Scale", [](C& c) { return c.scale; }, [](C& c, double v) { c.scale = v; });
    p.Bool("Visible", [](C& c) { return c.visible; }, [](C& c, bool v) { c.visible = v; });
    p.Str("Caption", [](C& c) { return c.caption; }, [](C& c, const std::string& v) { c.caption = v; });
    p.Color("Color", [](C& c) { return c.color; }, [](C& c, TColor v) { c.color = v; });
    p.Enum("Align", kAlign, [](C& c) { return c.align; }, [](C& c, int v) { c.align = v; });
    p.Set("Options", kOptions, [](C& c) { return c.options; }, [](C& c, std::uint32_t v) { c.options = v; });
    p.Strings("Lines", [](C& c) { return c.lines; }, [](C& c, const std::vector<std::string>& v) { c.lines = v; });
    p.Ref<TComponent>("Partner", [](C& c, TComponent* v) { c.partner = v; });
    p.Object("Font", [](C& c) { return &c.font; });
    p.Object("Picture", [](C& c) { return &c.picture; });
})

const bool registered = [] {
    RegisterClassInfo(TFuzzComponent::StaticClass());
    return true;
}();

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "fuzz target invariant broken: %s\n", what);
    std::abort();
}

}  // namespace

namespace fuzz {

void Layout(const std::uint8_t* data, std::size_t size) {
    (void)registered;
    // The program's reader, creating components.
    {
        TFuzzComponent root(nullptr);
        root.SetName("Root");
        try {
            TReader reader(data, size, "TFuzz");
            reader.ReadRootComponent(&root);
        } catch (const EReadError&) {  // refused, naming what is wrong
        } catch (const EConvertError&) {
        }
    }
    // The compiler's tree decoder; what it reads it writes back unchanged.
    try {
        layout::Node n = layout::Decode(data, size, "TFuzz");
        std::string again = layout::Encode(n);
        if (again.size() != size || (size && std::memcmp(again.data(), data, size) != 0))
            Broken("a decoded layout encodes to other bytes");
    } catch (const layout::StreamError&) {
    }
}

void Picture(const std::uint8_t* data, std::size_t size) {
    layout::Reader r(data, size);
    r.component = "Image1";
    r.property = "Picture.Data";
    stored::Picture p;
    try {
        if (!stored::ReadPicture(r, p)) return;
    } catch (const layout::StreamError&) {
        return;
    }
    // A checked header: every row lies inside the file.
    if (p.header.bitsAt + p.header.stride * static_cast<std::size_t>(p.header.height) > p.file.size())
        Broken("a checked picture's rows run past its file");
    BmpImage img;
    std::string error;
    if (DecodeBmp(p.file, img, error) &&
        img.pixels.size() != static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height))
        Broken("a decoded picture has the wrong number of pixels");
}

void Region(const std::uint8_t* data, std::size_t size) {
    layout::Reader r(data, size);
    r.component = "fcImageForm1";
    r.property = "RegionData";
    std::string outline;
    try {
        outline = stored::ReadOutline(r);
    } catch (const layout::StreamError&) {
        return;
    }
    if (outline.empty()) return;
    std::vector<region::Rect> rects;
    region::Rect bounds{};
    if (!region::ParseRegionData(outline, rects, bounds)) Broken("an accepted outline does not parse");
}

void Document(const std::uint8_t* data, std::size_t size) {
    layout::Reader r(data, size);
    r.component = "RichEdit2";
    r.property = "Data";
    try {
        std::string doc = stored::ReadDocument(r);
        if (doc.size() + 4 != size) Broken("an accepted document is not its whole payload");
    } catch (const layout::StreamError&) {
    }
}

Target ByName(const std::string& name) {
    if (name == "layout") return Layout;
    if (name == "picture") return Picture;
    if (name == "region") return Region;
    if (name == "document") return Document;
    return nullptr;
}

}  // namespace fuzz
