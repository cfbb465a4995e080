#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace ZQ3 {

// A small streaming JSON writer: enough for the tool's reports, with correct string escaping
// and separators.
class CJsonWriter {
public:
    explicit CJsonWriter(std::ostream& output) : output_(output) {}

    CJsonWriter& beginObject();
    CJsonWriter& endObject();
    CJsonWriter& beginArray();
    CJsonWriter& endArray();
    CJsonWriter& key(const std::string& name);
    CJsonWriter& value(const std::string& text);
    CJsonWriter& value(const char* text) { return value(std::string(text)); }
    CJsonWriter& value(bool flag);
    CJsonWriter& value(std::int64_t number);
    CJsonWriter& value(std::uint32_t number) { return value(std::int64_t{number}); }
    CJsonWriter& value(std::int32_t number) { return value(std::int64_t{number}); }
    CJsonWriter& value(double number);
    CJsonWriter& null();

    static std::string Escape(const std::string& text);

private:
    void separate();

    std::ostream& output_;
    // One entry per open container: whether it has a member yet.
    std::vector<bool> hasMember_;
    bool afterKey_ = false;
};

} // namespace ZQ3
