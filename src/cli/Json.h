#pragma once
// A small JSON writer for the batch front end: numbers with "." and full
// precision, keys in the order they are written.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nivora::cli {

class TJson {
public:
    TJson& BeginObject();
    TJson& EndObject();
    TJson& BeginArray();
    TJson& EndArray();
    TJson& Key(std::string_view key);
    TJson& Value(long double v);  // null when not finite
    TJson& Value(float v);        // shortest text that reads back as the same float
    TJson& Value(std::int64_t v);
    TJson& Value(int v) { return Value(static_cast<std::int64_t>(v)); }
    TJson& Value(bool v);
    TJson& Value(std::string_view v);
    TJson& Value(const char* v) { return Value(std::string_view(v)); }
    TJson& Null();
    const std::string& Str() const { return out_; }

private:
    void Separate();
    void Quote(std::string_view v);
    std::string out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool afterKey_ = false;
};

}  // namespace nivora::cli
