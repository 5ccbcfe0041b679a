#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace nivora::cli {

void TJson::Separate()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back())
            out_ += ',';
        first_.back() = false;
    }
}

TJson& TJson::BeginObject()
{
    Separate();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

TJson& TJson::EndObject()
{
    out_ += '}';
    first_.pop_back();
    return *this;
}

TJson& TJson::BeginArray()
{
    Separate();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

TJson& TJson::EndArray()
{
    out_ += ']';
    first_.pop_back();
    return *this;
}

TJson& TJson::Key(std::string_view key)
{
    Separate();
    Quote(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

TJson& TJson::Value(long double v)
{
    Separate();
    if (!std::isfinite(v)) {
        out_ += "null";
        return *this;
    }
    char buf[64];
    // A real of this program has 40 significant bits: 17 digits hold it.
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v));
    out_.append(buf, r.ptr);
    return *this;
}

TJson& TJson::Value(float v)
{
    Separate();
    if (!std::isfinite(v)) {
        out_ += "null";
        return *this;
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, r.ptr);
    return *this;
}

TJson& TJson::Value(std::int64_t v)
{
    Separate();
    out_ += std::to_string(v);
    return *this;
}

TJson& TJson::Value(bool v)
{
    Separate();
    out_ += v ? "true" : "false";
    return *this;
}

TJson& TJson::Null()
{
    Separate();
    out_ += "null";
    return *this;
}

TJson& TJson::Value(std::string_view v)
{
    Separate();
    Quote(v);
    return *this;
}

void TJson::Quote(std::string_view v)
{
    out_ += '"';
    for (char c : v) {
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out_ += buf;
            } else {
                out_ += c;
            }
        }
    }
    out_ += '"';
}

}  // namespace nivora::cli
