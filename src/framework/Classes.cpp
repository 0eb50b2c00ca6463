#include "Classes.h"

#include <algorithm>
#include <cctype>

namespace {
std::map<std::string, const ClassInfo*, std::less<>>& Registry() {
    static std::map<std::string, const ClassInfo*, std::less<>> r;
    return r;
}
bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

int EnumOrdinal(const EnumNames& names, std::string_view name) {
    for (std::size_t k = 0; k < names.size(); ++k)
        if (name == names[k]) return static_cast<int>(k);
    return -1;
}

bool ClassInfo::InheritsFrom(const ClassInfo& c) const {
    for (const ClassInfo* p = this; p; p = p->parent_)
        if (p == &c) return true;
    return false;
}

bool ClassInfo::InheritsFromName(std::string_view name) const {
    for (const ClassInfo* p = this; p; p = p->parent_)
        if (SameText(p->name_, name)) return true;
    return false;
}

const PropertyInfo* ClassInfo::FindProperty(std::string_view name) const {
    for (const ClassInfo* c = this; c; c = c->parent_)
        for (auto& p : c->props_)
            if (p.name == name) return &p;
    return nullptr;
}

void ClassInfo::Properties(std::vector<const PropertyInfo*>& out) const {
    if (parent_) parent_->Properties(out);
    for (auto& p : props_) {
        // A descendant may re-declare an ancestor's property; keep the latest.
        auto it = std::find_if(out.begin(), out.end(), [&](const PropertyInfo* q) { return q->name == p.name; });
        if (it != out.end()) *it = &p;
        else out.push_back(&p);
    }
}

void RegisterClassInfo(const ClassInfo& c) { Registry()[c.Name()] = &c; }

const ClassInfo* FindClassInfo(std::string_view name) {
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

ClassInfo& TObject::StaticClass() {
    static ClassInfo info("TObject", nullptr);
    return info;
}
const ClassInfo& TObject::ClassType() const { return StaticClass(); }

CX_IMPLEMENT_CLASS(TPersistent, TObject, CX_ABSTRACT, {})

void TPersistent::Assign(TPersistent* source) {
    throw EInvalidOperation(std::string("Cannot assign a ") + (source ? source->ClassName() : "nil") + " to a " +
                            ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

CX_IMPLEMENT_CLASS(TComponent, TPersistent, CX_ABSTRACT, {
    p.Int("Tag", [](TComponent& c) { return c.Tag; }, [](TComponent& c, std::int32_t v) { c.Tag = v; }, 0);
})

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    SetState(csDestroying, true);
    for (TComponent* c : std::vector<TComponent*>(freeNotifies_)) {
        c->RemoveFreeNotification(this);
        c->Notification(this, TOperation::opRemove);
    }
    freeNotifies_.clear();
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* c) {
    c->owner_ = this;
    components_.push_back(c);
    Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    if (!Has(csDestroying)) {
        // Every component of this owner hears of the removal, and the owner too.
        for (TComponent* other : std::vector<TComponent*>(components_))
            if (other != c) other->Notification(c, TOperation::opRemove);
    }
    Notification(c, TOperation::opRemove);
    components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
    c->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    // Each owner frees what it owns, last created first.
    while (!components_.empty()) {
        TComponent* c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        delete c;
    }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->Name(), name)) return c;
    return nullptr;
}

void TComponent::Notification(TComponent*, TOperation) {}

std::string TComponent::NamePath() const { return name_.empty() ? ClassName() : name_; }

void TComponent::FreeNotification(TComponent* c) {
    if (!c || c == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), c) == freeNotifies_.end()) {
        freeNotifies_.push_back(c);
        c->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* c) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), c), freeNotifies_.end());
}

// ---------------------------------------------------------------- reading

namespace {

class ReadFiler : public TFiler {
public:
    explicit ReadFiler(const std::string& wanted) : wanted_(wanted) {}
    void DefineBinaryProperty(const std::string& name, BinaryReader read, BinaryWriter, bool) override {
        if (name == wanted_) binary = std::move(read);
    }
    void DefineIntProperty(const std::string& name, std::function<void(std::int32_t)> read,
                           std::function<std::int32_t()>, bool) override {
        if (name == wanted_) integer = std::move(read);
    }
    BinaryReader binary;
    std::function<void(std::int32_t)> integer;

private:
    const std::string& wanted_;
};

}  // namespace

TReader::TReader(const void* data, std::size_t size, std::string windowName)
    : in_(data, size) {
    in_.window = std::move(windowName);
}

layout::Value TReader::ReadValue() { return in_.Get(); }

namespace {
[[noreturn]] void Expected(TReader& r, const char* what, const layout::Value& v) {
    r.Fail(std::string(what) + " expected, found " + layout::TagName(v.tag) +
           (v.tag == layout::Tag::Ident || v.tag == layout::Tag::String ? " " + v.s : std::string()));
}
}  // namespace

std::int32_t TReader::ReadInteger() {
    auto v = in_.Get();
    if (v.tag != layout::Tag::Int) Expected(*this, "an integer", v);
    return v.i;
}

double TReader::ReadFloat() {
    auto v = in_.Get();
    if (v.tag == layout::Tag::Int) return v.i;
    if (v.tag != layout::Tag::Double) Expected(*this, "a number", v);
    return v.d;
}

bool TReader::ReadBoolean() {
    auto v = in_.Get();
    if (v.tag != layout::Tag::True && v.tag != layout::Tag::False) Expected(*this, "True or False", v);
    return v.tag == layout::Tag::True;
}

std::string TReader::ReadString() {
    auto v = in_.Get();
    if (v.tag != layout::Tag::String) Expected(*this, "a string", v);
    return v.s;
}

std::string TReader::ReadIdent() {
    auto v = in_.Get();
    if (v.tag != layout::Tag::Ident) Expected(*this, "a name", v);
    return v.s;
}

TColor TReader::ReadColor() {
    auto v = in_.Get();
    if (v.tag == layout::Tag::Int) return v.i;
    if (v.tag == layout::Tag::Ident) {
        if (auto c = IdentToColor(v.s)) return *c;
        Fail("unknown colour " + v.s);
    }
    Expected(*this, "a colour", v);
}

std::uint32_t TReader::ReadSet(const EnumNames& names) {
    auto v = in_.Get();
    if (v.tag != layout::Tag::Set) Expected(*this, "a set", v);
    std::uint32_t bits = 0;
    for (auto& m : v.set) {
        int k = EnumOrdinal(names, m);
        if (k < 0) Fail("unknown set member " + m);
        bits |= 1u << k;
    }
    return bits;
}

int TReader::ReadEnum(const EnumNames& names) {
    auto v = in_.Get();
    if (v.tag != layout::Tag::Ident) Expected(*this, "a name", v);
    int k = EnumOrdinal(names, v.s);
    if (k < 0) Fail("unknown value " + v.s);
    return k;
}

std::vector<std::string> TReader::ReadStringList() {
    auto v = in_.Get();
    if (v.tag != layout::Tag::List) Expected(*this, "a list", v);
    std::vector<std::string> out;
    for (auto& item : v.list) {
        if (item.tag != layout::Tag::String) Fail("list of strings expected");
        out.push_back(item.s);
    }
    return out;
}

std::string TReader::ReadBinary() {
    auto v = in_.Get();
    if (v.tag != layout::Tag::Binary) Expected(*this, "binary data", v);
    return std::move(v.s);
}

void TReader::AddFixup(std::string name, std::function<void(TComponent*)> apply) {
    fixups_.emplace_back(std::move(name), std::move(apply));
}

void TReader::ReadProperty(TPersistent& obj, const std::string& name) {
    // Self-stored properties first, then the published ones; dotted names
    // reach sub-objects.
    ReadFiler filer(name);
    obj.DefineProperties(filer);
    if (filer.binary) {
        // The payload is read where it lies: a stored document can be
        // megabytes, and its owner keeps one copy of what it needs.
        layout::Tag tag = in_.PeekTag();
        if (tag != layout::Tag::Binary) Expected(*this, "binary data", in_.Get());
        in_.ReadTag();
        std::string_view bytes = in_.TextView();
        layout::Reader payload(bytes.data(), bytes.size());
        payload.window = in_.window;
        payload.component = in_.component;
        payload.property = in_.property;
        filer.binary(payload);
        // A payload whose counts say less than it holds is refused, not cut.
        payload.ExpectEnd("the stored data");
        return;
    }
    if (filer.integer) {
        filer.integer(ReadInteger());
        return;
    }
    auto dot = name.find('.');
    if (dot != std::string::npos) {
        const PropertyInfo* p = obj.ClassType().FindProperty(name.substr(0, dot));
        if (!p || !p->object) Fail(std::string("unknown property of class ") + obj.ClassName());
        TPersistent* sub = p->object(obj);
        if (!sub) Fail("property has no object");
        ReadProperty(*sub, name.substr(dot + 1));
        return;
    }
    const PropertyInfo* p = obj.ClassType().FindProperty(name);
    if (!p || !p->read) Fail(std::string("unknown property of class ") + obj.ClassName());
    p->read(obj, *this);
}

void TReader::ReadProperties(TPersistent& obj) {
    for (;;) {
        std::string name = in_.Text();
        if (name.empty()) break;
        in_.property = name;
        ReadProperty(obj, name);
    }
    in_.property.clear();
}

void TReader::ReadChildren(TComponent* parent) {
    for (;;) {
        layout::Tag t = in_.ReadTag();
        if (t == layout::Tag::End) break;
        if (t != layout::Tag::Child) Fail("a child component expected");
        in_.property.clear();
        std::string cls = in_.Text();
        std::string name = in_.Text();
        in_.component = name;
        const ClassInfo* ci = FindClassInfo(cls);
        if (!ci || !ci->create) Fail("unknown class " + cls);
        if (root_->FindComponent(name)) Fail("a second component named " + name);
        TComponent* c = ci->create(root_);
        created_.push_back(c);
        c->SetState(csLoading, true);
        c->SetState(csReading, true);
        c->SetName(name);
        // The enclosing component decides what a child means to it (a
        // control becomes its child control).
        parent->AdoptChild(c);
        ReadProperties(*c);
        in_.EnterComponent();
        ReadChildren(c);
        in_.LeaveComponent();
        c->SetState(csReading, false);
        in_.component = parent->Name();
    }
}

void TReader::ReadRootComponent(TComponent* root) {
    try {
        ReadRoot(root);
    } catch (const layout::StreamError& e) {
        // A layout that cannot be read leaves the root out of its loading state.
        root->SetState(csReading, false);
        root->SetState(csLoading, false);
        throw EReadError(e.what());
    }
}

void TReader::ReadRoot(TComponent* root) {
    root_ = root;
    in_.Magic();
    std::string cls = in_.Text();
    std::string name = in_.Text();
    if (cls != root->ClassName()) Fail("the layout is for class " + cls + ", not " + root->ClassName());
    in_.component = name;
    root->SetState(csLoading, true);
    root->SetState(csReading, true);
    root->SetName(name);
    ReadProperties(*root);
    ReadChildren(root);
    if (!in_.AtEnd()) Fail("unexpected bytes after the end of the layout");
    in_.component.clear();
    for (auto& [target, apply] : fixups_) {
        TComponent* c = root->FindComponent(target);
        if (!c && root->Name() == target) c = root;
        if (!c) Fail("no component named " + target);
        apply(c);
    }
    root->SetState(csReading, false);
    root->Loaded();
    for (TComponent* c : created_) c->Loaded();
}

// ---------------------------------------------------------------- writing

namespace {

class WriteFiler : public TFiler {
public:
    std::vector<std::pair<std::string, layout::Value>> out;
    void DefineBinaryProperty(const std::string& name, BinaryReader, BinaryWriter write, bool hasData) override {
        if (!hasData || !write) return;
        layout::Writer w;
        write(w);
        out.emplace_back(name, layout::Value::Bin(w.Take()));
    }
    void DefineIntProperty(const std::string& name, std::function<void(std::int32_t)>,
                           std::function<std::int32_t()> write, bool hasData) override {
        if (hasData && write) out.emplace_back(name, layout::Value::Int(write()));
    }
};

void Collect(TPersistent& obj, const std::string& prefix, std::vector<std::pair<std::string, layout::Value>>& out) {
    std::vector<const PropertyInfo*> props;
    obj.ClassType().Properties(props);
    for (const PropertyInfo* p : props) {
        if (p->object) {
            if (TPersistent* sub = p->object(obj)) Collect(*sub, prefix + p->name + ".", out);
            continue;
        }
        layout::Value v;
        if (p->write && p->write(obj, v)) out.emplace_back(prefix + p->name, std::move(v));
    }
    WriteFiler f;
    obj.DefineProperties(f);
    for (auto& [n, v] : f.out) out.emplace_back(prefix + n, std::move(v));
}

}  // namespace

std::vector<std::pair<std::string, layout::Value>> StoredProperties(TPersistent& obj) {
    std::vector<std::pair<std::string, layout::Value>> out;
    Collect(obj, "", out);
    return out;
}

void WriteComponent(layout::Writer& w, TComponent& c,
                    const std::function<std::vector<TComponent*>(TComponent&)>& children) {
    w.BeginComponent(c.ClassName(), c.Name());
    for (auto& [n, v] : StoredProperties(c)) w.Property(n, v);
    w.EndProperties();
    for (TComponent* child : children(c)) {
        w.BeginChild();
        WriteComponent(w, *child, children);
    }
    w.EndChildren();
}
