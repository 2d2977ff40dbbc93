#include "records/uTJwHighscore.h"

#include "records/uRecordFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace kelani {
namespace {

bool SameTextAscii(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

struct PlainTextOf {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(const std::string& text) const { return text; }
    std::string operator()(std::int32_t number) const { return std::to_string(number); }
    // The digits a Boolean shows as a number: false 0, true -1.
    std::string operator()(bool flag) const { return flag ? "-1" : "0"; }
    std::string operator()(double number) const {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.15g", number);
        return buf;
    }
};

struct NumberOf {
    double operator()(std::monostate) const { return 0; }
    double operator()(const std::string&) const { return 0; }
    double operator()(std::int32_t number) const { return number; }
    double operator()(bool flag) const { return flag ? 1 : 0; }
    double operator()(double number) const { return number; }
};

std::int32_t ToInt32(double number) {
    if (!(number >= INT32_MIN && number <= INT32_MAX)) return 0; // NaN or out of range
    return static_cast<std::int32_t>(number);
}

TJwValue::Data ReadData(TStream& stream, TJwValueType type) {
    switch (type) {
    case TJwValueType::Text:
        return StreamReadString(stream);
    case TJwValueType::Integer:
        return StreamReadInteger(stream);
    case TJwValueType::Byte:
        return static_cast<std::int32_t>(StreamReadByte(stream));
    case TJwValueType::Boolean:
        return StreamReadBoolean(stream);
    case TJwValueType::Float:
        return StreamReadDouble(stream);
    }
    return {};
}

} // namespace

// ---- TJwValue ----

void TJwValue::SetText(std::string text) {
    value_ = std::move(text);
}
void TJwValue::SetInteger(std::int32_t number) {
    value_ = number;
}
void TJwValue::SetBoolean(bool flag) {
    value_ = flag;
}
void TJwValue::SetFloat(double number) {
    value_ = number;
}

std::string TJwValue::PlainText() const {
    return std::visit(PlainTextOf{}, value_);
}

std::string TJwValue::AsString() const {
    return onGetText_ ? onGetText_(*this) : PlainText();
}

std::int32_t TJwValue::AsInteger() const {
    if (type_ != TJwValueType::Integer) return 0;
    return ToInt32(AsNumber());
}

double TJwValue::AsNumber() const {
    return std::visit(NumberOf{}, value_);
}

void TJwValue::SaveToStream(TStream& stream) const {
    switch (type_) {
    case TJwValueType::Text:
        return StreamWriteString(stream, PlainText());
    case TJwValueType::Integer:
        return StreamWriteInteger(stream, ToInt32(AsNumber()));
    case TJwValueType::Byte:
        return StreamWriteByte(stream, static_cast<std::uint8_t>(ToInt32(AsNumber())));
    case TJwValueType::Boolean:
        return StreamWriteBoolean(stream, AsNumber() != 0);
    case TJwValueType::Float:
        return StreamWriteDouble(stream, AsNumber());
    }
}

void TJwValue::LoadFromStream(TStream& stream) {
    value_ = ReadData(stream, type_);
}

// ---- TJwValueList ----

TJwValue& TJwValueList::Add(std::string name, TJwValueType type, TJwGetText onGetText) {
    values_.push_back(std::make_unique<TJwValue>(this, std::move(name), type, onGetText));
    return *values_.back();
}

TJwValue* TJwValueList::Find(std::string_view name) {
    for (auto& value : values_)
        if (SameTextAscii(value->Name(), name)) return value.get();
    return nullptr;
}

const TJwValue* TJwValueList::Find(std::string_view name) const {
    return const_cast<TJwValueList*>(this)->Find(name);
}

void TJwValueList::Assign(const TJwValueList& other) {
    if (&other == this) return;
    values_.clear();
    for (const auto& value : other.values_)
        Add(value->Name(), value->ValueType(), value->OnGetText()).value_ = value->Value();
}

void TJwValueList::SaveToStream(TStream& stream) const {
    for (const auto& value : values_) value->SaveToStream(stream);
}

void TJwValueList::LoadFromStream(TStream& stream) {
    for (auto& value : values_) value->LoadFromStream(stream);
}

// ---- TCustomHighscore ----

TCustomHighscore::TCustomHighscore(std::string key, const TJwValueList& entryTemplate, TJwCompare compare)
    : key_(std::move(key)), template_(&entryTemplate), compare_(compare) {}

std::unique_ptr<TJwValueList> TCustomHighscore::NewEntry() const {
    auto entry = std::make_unique<TJwValueList>();
    entry->Assign(*template_);
    return entry;
}

void TCustomHighscore::Delete(int i) {
    Entry(i); // range check
    entries_.erase(entries_.begin() + i);
}

std::string TCustomHighscore::GetText(std::string_view key, int i) const {
    const TJwValue* value = Entry(i).Find(key);
    return value ? value->AsString() : std::string();
}

int TCustomHighscore::Add(const TJwValueList& entry) {
    auto copy = std::make_unique<TJwValueList>();
    copy->Assign(entry);
    const TJwValueList* added = copy.get();
    entries_.push_back(std::move(copy));
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const auto& a, const auto& b) { return compare_(*a, *b) < 0; });
    if (Capacity >= 0 && entries_.size() > static_cast<size_t>(Capacity)) entries_.resize(Capacity);
    for (int i = 0; i < Count(); ++i)
        if (entries_[static_cast<size_t>(i)].get() == added) return i;
    return -1;
}

void TCustomHighscore::SaveToStream(TStream& stream) const {
    // The count field is 16 bits wide; a table is never longer than its small capacity.
    const size_t count = std::min<size_t>(entries_.size(), 0xFFFF);
    StreamWriteSmallInt(stream, static_cast<std::int16_t>(static_cast<std::uint16_t>(count)));
    for (size_t i = 0; i < count; ++i) entries_[i]->SaveToStream(stream);
}

void TCustomHighscore::LoadFromStream(TStream& stream) {
    Clear();
    const int count = static_cast<std::uint16_t>(StreamReadSmallInt(stream));
    auto working = NewEntry();
    for (int i = 0; i < count; ++i) {
        working->LoadFromStream(stream);
        Add(*working);
    }
}

void TCustomHighscore::SaveToFile(const std::string& fileName) const {
    TMemoryStream table;
    SaveToStream(table);
    SaveFileAtomically(fileName, PackRecordStream(key_, StreamName, table));
}

void TCustomHighscore::LoadFromFile(const std::string& fileName) {
    if (!std::filesystem::exists(fileName)) return;
    TFileStream file(fileName, TFileMode::fmOpenRead);
    TMemoryStream table = UnpackRecordStream(key_, StreamName, file);
    // Loaded into a scratch table first, so a file that ends early leaves this one untouched.
    TCustomHighscore loaded(key_, *template_, compare_);
    loaded.Capacity = Capacity;
    loaded.LoadFromStream(table);
    entries_ = std::move(loaded.entries_);
}

} // namespace kelani
