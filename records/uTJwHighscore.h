#pragma once
// Generic highscore tables: a keyed record (TJwValue, TJwValueList), a sorted table of such
// records capped at Capacity that stores itself in a stream container (TCustomHighscore), and the
// settings a table needs to be sent to a worldwide highscore (TCustomINetHighscore).
//
// Record encoding in a stream (names are not stored; the template gives order and types):
//   text     16-bit unsigned length L, then L bytes (Windows-1252, as the caller gave them)
//   integer  32-bit signed, little-endian
//   byte     1 byte, read back as an integer 0..255
//   Boolean  1 byte, 1 for true and 0 for false; read back as true only for the byte 1
//   double   8-byte IEEE 754, little-endian
// Table encoding: entry count C as 16-bit unsigned, then C records, rank 1 first.
// Table file: the image of a compressed, enciphered stream container holding one stream "hs".
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelani {

class TStream;
class TJwValueList;

enum class TJwValueType : std::uint8_t { Text = 0, Integer = 1, Byte = 2, Boolean = 3, Float = 4 };

class TJwValue;
// Display text of a value in place of the plain conversion; reads siblings through Owner().
using TJwGetText = std::string (*)(const TJwValue& value);

// One keyed value of a record. Text, integer (also for the byte type), Boolean or double;
// unset until assigned.
class TJwValue {
public:
    using Data = std::variant<std::monostate, std::string, std::int32_t, bool, double>;

    TJwValue(TJwValueList* owner, std::string name, TJwValueType type, TJwGetText onGetText)
        : owner_(owner), name_(std::move(name)), type_(type), onGetText_(onGetText) {}

    const std::string& Name() const { return name_; }
    TJwValueType ValueType() const { return type_; }
    TJwGetText OnGetText() const { return onGetText_; }
    const TJwValueList* Owner() const { return owner_; }
    const Data& Value() const { return value_; }
    bool IsSet() const { return !std::holds_alternative<std::monostate>(value_); }

    // The stored form follows ValueType whatever was set: a number of a text type is written as
    // its plain text, a text of a numeric type as 0, a byte as the low 8 bits of the integer.
    void SetText(std::string text);
    void SetInteger(std::int32_t number);
    void SetBoolean(bool flag);
    void SetFloat(double number);

    // The display function's text when one is set, else the plain text: a text unchanged, an
    // integer in decimal, a Boolean as 0 or -1, a double with up to 15 significant digits, an
    // unset value empty.
    std::string AsString() const;
    std::string PlainText() const;
    // The value for the integer type, 0 for every other type and for an unset value.
    std::int32_t AsInteger() const;
    // Number of any numeric type (0 when unset or text); used by display and ranking functions.
    double AsNumber() const;

    void SaveToStream(TStream& stream) const;
    void LoadFromStream(TStream& stream);

private:
    friend class TJwValueList;
    TJwValueList* owner_;
    std::string name_;
    TJwValueType type_;
    TJwGetText onGetText_;
    Data value_;
};

// One record: an ordered list of owned values. Addresses of values stay fixed while the list
// lives, so a display function may keep reading siblings through the owner.
class TJwValueList {
public:
    TJwValueList() = default;
    TJwValueList(const TJwValueList&) = delete;
    TJwValueList& operator=(const TJwValueList&) = delete;

    TJwValue& Add(std::string name, TJwValueType type, TJwGetText onGetText = nullptr);
    int Count() const { return static_cast<int>(values_.size()); }
    TJwValue& Items(int i) { return *values_.at(static_cast<size_t>(i)); }
    const TJwValue& Items(int i) const { return *values_.at(static_cast<size_t>(i)); }
    // The first value whose name equals name ignoring ASCII letter case, or nullptr.
    TJwValue* Find(std::string_view name);
    const TJwValue* Find(std::string_view name) const;
    // Empties the list, then copies name, type, display function and value of every value.
    void Assign(const TJwValueList& other);

    // Writes the values in list order by their types.
    void SaveToStream(TStream& stream) const;
    // Overwrites the values in place; the list must already have the stored record's shape.
    // A stream that ends inside the record raises the stream's read error.
    void LoadFromStream(TStream& stream);

private:
    std::vector<std::unique_ptr<TJwValue>> values_;
};

// Negative when a ranks before b, positive when after, 0 when equal.
using TJwCompare = int (*)(const TJwValueList& a, const TJwValueList& b);

// A table of records, rank 1 first, never longer than Capacity. Printing and showing a table
// belong to the windows: they read it through Count, Entry and GetText.
class TCustomHighscore {
public:
    static constexpr int DefaultCapacity = 20;
    static constexpr const char* StreamName = "hs";

    // The template gives keys, types and display functions of an entry; it is not owned and must
    // outlive the table.
    TCustomHighscore(std::string key, const TJwValueList& entryTemplate, TJwCompare compare);
    virtual ~TCustomHighscore() = default;
    TCustomHighscore(const TCustomHighscore&) = delete;
    TCustomHighscore& operator=(const TCustomHighscore&) = delete;

    const TJwValueList& Template() const { return *template_; }
    const std::string& Key() const { return key_; }
    int Capacity = DefaultCapacity;

    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }
    const TJwValueList& Entry(int i) const { return *entries_.at(static_cast<size_t>(i)); }
    void Delete(int i);
    // AsString of the value named key (any letter case) of entry i; empty without such a key.
    std::string GetText(std::string_view key, int i) const;

    // Adds a copy of entry, sorts the table (entries that compare equal keep their order, so a
    // new entry goes behind its equals) and cuts it to Capacity. Returns the copy's 0-based
    // index, or -1 when it did not stay in the table.
    int Add(const TJwValueList& entry);

    void SaveToStream(TStream& stream) const;
    // Clears the table, then adds every stored record: a loaded table is sorted again and cut to
    // Capacity. A stream that ends early raises the stream's read error.
    void LoadFromStream(TStream& stream);
    // Replaces the file as a whole: the old file stays intact when writing fails.
    void SaveToFile(const std::string& fileName) const;
    // A missing file leaves the table as it is. A damaged file raises ECorruptFile or the
    // stream's read error and also leaves the table as it is.
    void LoadFromFile(const std::string& fileName);

protected:
    // A fresh, unset entry shaped like the template.
    std::unique_ptr<TJwValueList> NewEntry() const;

private:
    std::string key_;
    const TJwValueList* template_;
    TJwCompare compare_;
    std::vector<std::unique_ptr<TJwValueList>> entries_;
};

// Whether an entry may be sent to the worldwide highscore.
using TJwEntryFilter = bool (*)(const TJwValueList& entry);

// A table that knows where its worldwide counterpart lives. Sending is done by the web layer
// with these settings.
class TCustomINetHighscore : public TCustomHighscore {
public:
    using TCustomHighscore::TCustomHighscore;

    std::string Server;    // host of the submission, port 80
    std::string Action;    // path of the submission
    std::string GameName;  // posted as "hs_name"
    std::string GameIndex; // posted as "hs_index"
    std::string ViewURL;   // page of the worldwide table
    std::int32_t CheckModulus = 0;
    std::int32_t CheckBase = 0;
    TJwEntryFilter OnFilter = nullptr;
};

} // namespace kelani
