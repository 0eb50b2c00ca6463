// The object model of the framework: persistent objects, components with
// owners, the published-property tables that stored layouts are read through,
// and the loader that builds a window's components from its stored layout.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "core/Convert.h"
#include "core/LayoutStream.h"

class TObject;
class TPersistent;
class TComponent;
class TFiler;
class TReader;

// Framework errors, each shown by the application's error box when it reaches
// the message loop.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EReadError : public Exception {
public:
    using Exception::Exception;
};
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EInOutError : public Exception {
public:
    using Exception::Exception;
};
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Names of the members of an enumeration or set, in ordinal order.
using EnumNames = std::vector<const char*>;
int EnumOrdinal(const EnumNames& names, std::string_view name);  // -1 when absent

struct PropertyInfo {
    std::string name;
    std::function<void(TPersistent&, TReader&)> read;               // reads one tagged value
    std::function<bool(TPersistent&, layout::Value&)> write;        // false: not stored
    std::function<TPersistent*(TPersistent&)> object;               // sub-object (dotted names)
};

// Run-time class information: name, ancestor, factory and published properties.
class ClassInfo {
public:
    ClassInfo(const char* name, const ClassInfo* parent) : name_(name), parent_(parent) {}
    const char* Name() const { return name_; }
    const ClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const ClassInfo& c) const;
    bool InheritsFromName(std::string_view name) const;  // case-insensitive
    const PropertyInfo* FindProperty(std::string_view name) const;
    void Properties(std::vector<const PropertyInfo*>& out) const;  // ancestors first
    std::vector<PropertyInfo>& Own() { return props_; }
    std::function<TComponent*(TComponent* owner)> create;

private:
    const char* name_;
    const ClassInfo* parent_;
    std::vector<PropertyInfo> props_;
};

// Class registry for creation by name while loading layouts.
void RegisterClassInfo(const ClassInfo& c);
const ClassInfo* FindClassInfo(std::string_view name);

#define CX_DECLARE_CLASS()                         \
public:                                            \
    static ClassInfo& StaticClass();               \
    const ClassInfo& ClassType() const override { return StaticClass(); }

class TObject {
public:
    virtual ~TObject() = default;
    virtual const ClassInfo& ClassType() const;
    static ClassInfo& StaticClass();
    const char* ClassName() const { return ClassType().Name(); }
    bool InheritsFrom(const ClassInfo& c) const { return ClassType().InheritsFrom(c); }
};

class TPersistent : public TObject {
    CX_DECLARE_CLASS()
public:
    virtual void Assign(TPersistent* source);
    // Properties the object stores itself (binary properties).
    virtual void DefineProperties(TFiler& filer);
    // The component the object belongs to, for error messages.
    virtual std::string NamePath() const { return ClassName(); }
};

enum ComponentStateFlag : unsigned { csLoading = 1, csReading = 2, csDesigning = 4, csDestroying = 8, csUpdating = 16 };
enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    CX_DECLARE_CLASS()
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    virtual void SetName(const std::string& n) { name_ = n; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int i) const { return components_[static_cast<std::size_t>(i)]; }
    TComponent* FindComponent(std::string_view name) const;
    unsigned ComponentState() const { return state_; }
    bool Has(ComponentStateFlag f) const { return (state_ & f) != 0; }
    void SetState(ComponentStateFlag f, bool on) { state_ = on ? (state_ | f) : (state_ & ~f); }
    std::int32_t Tag = 0;

    // Tells every component of the owner that one is being removed.
    virtual void Notification(TComponent* component, TOperation op);
    // A component read from a layout inside this one (a control becomes a
    // child control of a windowed control).
    virtual void AdoptChild(TComponent*) {}
    // After the whole layout has been read.
    virtual void Loaded() { SetState(csLoading, false); }
    std::string NamePath() const override;

    // Free notification: component is told when this one goes, across owners.
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);

protected:
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    void DestroyComponents();

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    unsigned state_ = 0;
};

// Binary and other self-stored properties, declared by DefineProperties.
class TFiler {
public:
    using BinaryReader = std::function<void(layout::Reader& payload)>;  // reader bounded to the payload
    using BinaryWriter = std::function<void(layout::Writer& payload)>;
    virtual ~TFiler() = default;
    virtual void DefineBinaryProperty(const std::string& name, BinaryReader read, BinaryWriter write, bool hasData) = 0;
    // An integer property the object reads and writes itself.
    virtual void DefineIntProperty(const std::string& name, std::function<void(std::int32_t)> read,
                                   std::function<std::int32_t()> write, bool hasData) = 0;
};

// Builds components from a stored layout. One reader per window. It reads
// the layout in place: the bytes must stay put while the reader lives (a
// window's layout is a resource of the program, there for its whole run).
class TReader {
public:
    TReader(const void* data, std::size_t size, std::string windowName);

    // Reads the root component's class, name and properties into root, and
    // creates its children owned by root. Calls Loaded on all afterwards. A
    // layout that cannot be read raises EReadError naming what is wrong.
    void ReadRootComponent(TComponent* root);

    // Typed reads of the next tagged value, used by property readers.
    layout::Value ReadValue();
    std::int32_t ReadInteger();
    double ReadFloat();
    bool ReadBoolean();
    std::string ReadString();
    std::string ReadIdent();
    TColor ReadColor();
    std::uint32_t ReadSet(const EnumNames& names);
    int ReadEnum(const EnumNames& names);
    std::vector<std::string> ReadStringList();
    std::string ReadBinary();

    TComponent* Root() const { return root_; }
    // Component references resolved after reading, by name within the root.
    void AddFixup(std::string name, std::function<void(TComponent*)> apply);
    [[noreturn]] void Fail(const std::string& what) { in_.Fail(what); }
    layout::Reader& Raw() { return in_; }

private:
    void ReadRoot(TComponent* root);
    void ReadProperties(TPersistent& obj);
    void ReadProperty(TPersistent& obj, const std::string& name);
    void ReadChildren(TComponent* parent);
    layout::Reader in_;
    TComponent* root_ = nullptr;
    std::vector<TComponent*> created_;
    std::vector<std::pair<std::string, std::function<void(TComponent*)>>> fixups_;
};

// Writes a component (and the components it owns as children) back to the
// stream form: every published property that reports itself stored, then the
// self-stored properties.
void WriteComponent(layout::Writer& w, TComponent& c, const std::function<std::vector<TComponent*>(TComponent&)>& children);
// The stored properties of one object as name/value pairs (sub-objects with dotted names).
std::vector<std::pair<std::string, layout::Value>> StoredProperties(TPersistent& obj);

// Property-table builder used in each class's registration.
template <class T>
class Props {
public:
    explicit Props(ClassInfo& ci) : ci_(ci) {}

    template <class G, class S>
    Props& Int(const char* name, G get, S set, std::optional<std::int32_t> def = std::nullopt) {
        Add(name, [set](TPersistent& o, TReader& r) { std::invoke(set, static_cast<T&>(o), r.ReadInteger()); },
            [get, def](TPersistent& o, layout::Value& v) {
                std::int32_t x = static_cast<std::int32_t>(std::invoke(get, static_cast<T&>(o)));
                if (def && *def == x) return false;
                v = layout::Value::Int(x);
                return true;
            });
        return *this;
    }
    template <class G, class S>
    Props& Float(const char* name, G get, S set) {
        Add(name, [set](TPersistent& o, TReader& r) { std::invoke(set, static_cast<T&>(o), r.ReadFloat()); },
            [get](TPersistent& o, layout::Value& v) {
                v = layout::Value::Dbl(std::invoke(get, static_cast<T&>(o)));
                return true;
            });
        return *this;
    }
    template <class G, class S>
    Props& Bool(const char* name, G get, S set, std::optional<bool> def = std::nullopt) {
        Add(name, [set](TPersistent& o, TReader& r) { std::invoke(set, static_cast<T&>(o), r.ReadBoolean()); },
            [get, def](TPersistent& o, layout::Value& v) {
                bool x = std::invoke(get, static_cast<T&>(o));
                if (def && *def == x) return false;
                v = layout::Value::Bool(x);
                return true;
            });
        return *this;
    }
    // A boolean stored only while stored(object) holds.
    template <class G, class S, class P>
    Props& BoolIf(const char* name, G get, S set, P stored) {
        Add(name, [set](TPersistent& o, TReader& r) { std::invoke(set, static_cast<T&>(o), r.ReadBoolean()); },
            [get, stored](TPersistent& o, layout::Value& v) {
                if (!stored(static_cast<T&>(o))) return false;
                v = layout::Value::Bool(std::invoke(get, static_cast<T&>(o)));
                return true;
            });
        return *this;
    }
    template <class G, class S>
    Props& Str(const char* name, G get, S set, std::optional<std::string> def = std::nullopt) {
        Add(name, [set](TPersistent& o, TReader& r) { std::invoke(set, static_cast<T&>(o), r.ReadString()); },
            [get, def](TPersistent& o, layout::Value& v) {
                std::string x = std::invoke(get, static_cast<T&>(o));
                if (def && *def == x) return false;
                v = layout::Value::Str(x);
                return true;
            });
        return *this;
    }
    // A string held in a field of T. One pair of functions per class serves
    // every such field: a table of hundreds of texts would otherwise make a
    // pair of functions for each (the text tables' units took longest to compile).
    Props& StrField(const char* name, std::string T::*field, std::optional<std::string> def = std::nullopt) {
        Add(name, [field](TPersistent& o, TReader& r) { static_cast<T&>(o).*field = r.ReadString(); },
            [field, def = std::move(def)](TPersistent& o, layout::Value& v) {
                const std::string& x = static_cast<T&>(o).*field;
                if (def && *def == x) return false;
                v = layout::Value::Str(x);
                return true;
            });
        return *this;
    }
    template <class G, class S>
    Props& Color(const char* name, G get, S set, std::optional<TColor> def = std::nullopt) {
        Add(name, [set](TPersistent& o, TReader& r) { std::invoke(set, static_cast<T&>(o), r.ReadColor()); },
            [get, def](TPersistent& o, layout::Value& v) {
                TColor x = std::invoke(get, static_cast<T&>(o));
                if (def && *def == x) return false;
                auto id = ColorToIdent(x);
                v = id ? layout::Value::Id(*id) : layout::Value::Int(x);
                return true;
            });
        return *this;
    }
    template <class G, class S>
    Props& Enum(const char* name, const EnumNames& names, G get, S set, std::optional<int> def = std::nullopt) {
        Add(name,
            [set, &names](TPersistent& o, TReader& r) {
                using A = std::decay_t<decltype(std::invoke(std::declval<G>(), std::declval<T&>()))>;
                std::invoke(set, static_cast<T&>(o), static_cast<A>(r.ReadEnum(names)));
            },
            [get, &names, def](TPersistent& o, layout::Value& v) {
                int x = static_cast<int>(std::invoke(get, static_cast<T&>(o)));
                if ((def && *def == x) || x < 0 || x >= static_cast<int>(names.size())) return false;
                v = layout::Value::Id(names[static_cast<std::size_t>(x)]);
                return true;
            });
        return *this;
    }
    // A set stored as member names; the value is a bit mask (bit n = member n).
    template <class G, class S>
    Props& Set(const char* name, const EnumNames& names, G get, S set, std::optional<std::uint32_t> def = std::nullopt) {
        Add(name,
            [set, &names](TPersistent& o, TReader& r) {
                using A = std::decay_t<decltype(std::invoke(std::declval<G>(), std::declval<T&>()))>;
                std::invoke(set, static_cast<T&>(o), static_cast<A>(r.ReadSet(names)));
            },
            [get, &names, def](TPersistent& o, layout::Value& v) {
                auto x = static_cast<std::uint32_t>(std::invoke(get, static_cast<T&>(o)));
                if (def && *def == x) return false;
                std::vector<std::string> m;
                for (std::size_t k = 0; k < names.size() && k < 32; ++k)
                    if (x & (1u << k)) m.emplace_back(names[k]);
                v = layout::Value::Members(std::move(m));
                return true;
            });
        return *this;
    }
    template <class G, class S>
    Props& Strings(const char* name, G get, S set) {
        Add(name, [set](TPersistent& o, TReader& r) { std::invoke(set, static_cast<T&>(o), r.ReadStringList()); },
            [get](TPersistent& o, layout::Value& v) {
                std::vector<layout::Value> items;
                for (auto& s : std::invoke(get, static_cast<T&>(o))) items.push_back(layout::Value::Str(s));
                v = layout::Value::Items(std::move(items));
                return true;
            });
        return *this;
    }
    // An event: the stored value names a handler the root component published.
    template <class Sig>
    Props& Event(const char* name, std::function<Sig> T::*member);
    // A reference to another component of the same root, by name.
    template <class C, class S>
    Props& Ref(const char* name, S set) {
        std::string n = name;
        Add(name,
            [set, n](TPersistent& o, TReader& r) {
                std::string target = r.ReadIdent();
                T* self = &static_cast<T&>(o);
                r.AddFixup(target, [self, set, n, &r, target](TComponent* c) {
                    C* typed = dynamic_cast<C*>(c);
                    if (!typed) r.Fail("property " + n + ": " + target + " is not a " + C::StaticClass().Name());
                    std::invoke(set, *self, typed);
                });
            },
            nullptr);
        return *this;
    }
    // A sub-object whose properties are stored with dotted names ("Font.Name").
    template <class G>
    Props& Object(const char* name, G get) {
        PropertyInfo p;
        p.name = name;
        p.object = [get](TPersistent& o) -> TPersistent* { return std::invoke(get, static_cast<T&>(o)); };
        ci_.Own().push_back(std::move(p));
        return *this;
    }
    Props& Custom(const char* name, std::function<void(T&, TReader&)> read) {
        Add(name, [read](TPersistent& o, TReader& r) { read(static_cast<T&>(o), r); }, nullptr);
        return *this;
    }

private:
    void Add(const char* name, std::function<void(TPersistent&, TReader&)> read,
             std::function<bool(TPersistent&, layout::Value&)> write) {
        PropertyInfo p;
        p.name = name;
        p.read = std::move(read);
        p.write = std::move(write);
        ci_.Own().push_back(std::move(p));
    }
    ClassInfo& ci_;
};

// Handlers a root component (a form) publishes for its layout's events, and
// fields bound to its components by name.
class THandlerTable {
public:
    template <class Sig>
    void Add(const std::string& name, std::function<Sig> fn) {
        handlers_[name] = std::move(fn);
    }
    const std::any* Find(const std::string& name) const {
        auto it = handlers_.find(name);
        return it == handlers_.end() ? nullptr : &it->second;
    }

private:
    std::map<std::string, std::any> handlers_;
};

// Implemented by components that own a handler table (forms).
class IHandlerSource {
public:
    virtual ~IHandlerSource() = default;
    virtual const THandlerTable& Handlers() const = 0;
};

template <class T>
template <class Sig>
Props<T>& Props<T>::Event(const char* name, std::function<Sig> T::*member) {
    std::string n = name;
    Add(name,
        [member, n](TPersistent& o, TReader& r) {
            std::string handler = r.ReadIdent();
            auto* src = dynamic_cast<IHandlerSource*>(r.Root());
            const std::any* a = src ? src->Handlers().Find(handler) : nullptr;
            if (!a) r.Fail("event " + n + ": no handler named " + handler);
            auto* fn = std::any_cast<std::function<Sig>>(a);
            if (!fn) r.Fail("event " + n + ": handler " + handler + " does not fit the event");
            static_cast<T&>(o).*member = *fn;
        },
        nullptr);
    return *this;
}

// Defines T::StaticClass() with its property table and registers the class
// for creation by name. Use once per class in its .cpp file.
#define CX_IMPLEMENT_CLASS(T, Base, CREATE, BODY)                                  \
    ClassInfo& T::StaticClass() {                                                  \
        static ClassInfo* info = [] {                                              \
            auto* ci = new ClassInfo(#T, &Base::StaticClass());                    \
            ci->create = CREATE;                                                   \
            Props<T> p(*ci);                                                       \
            BODY;                                                                  \
            (void)p;                                                               \
            return ci;                                                             \
        }();                                                                       \
        return *info;                                                              \
    }                                                                              \
    namespace {                                                                    \
    [[maybe_unused]] const bool registered_##T = (RegisterClassInfo(T::StaticClass()), true); \
    }

#define CX_CREATE(T) [](TComponent* owner) -> TComponent* { return new T(owner); }
#define CX_ABSTRACT nullptr
