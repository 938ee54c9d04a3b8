// The key=value pairs of a request body: joined by "&", split at the first "=", no URL decoding, keys
// compared without regard to case; the first occurrence of a key wins.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CRequestParams {
public:
    CRequestParams() = default;
    explicit CRequestParams(const std::string& text) { Append(text); }

    // Adds the pairs of a text; empty pieces and pieces without "=" are skipped (a bare key is kept with an
    // empty value so that its presence can be asked).
    void Append(const std::string& text);
    void Set(const std::string& key, const std::string& value);
    bool Has(const std::string& key) const;
    std::string Get(const std::string& key, const std::string& fallback = std::string()) const;
    int GetInt(const std::string& key, int fallback = 0) const;
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return pairs; }

private:
    std::vector<std::pair<std::string, std::string>> pairs;
};
