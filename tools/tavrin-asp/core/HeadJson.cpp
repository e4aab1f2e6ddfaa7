// HeadJson: see HeadJson.h. The strings go through the tools' one JSON
// writer, which keeps a head that is not UTF-8 valid JSON.
#include "core/HeadJson.h"

#include "common/JsonText.h"

std::string HeadJson(const HttpHead& head)
{
    std::string json = "{\"method\": ";
    AppendJsonBytes(json, head.method);
    json += ", \"path\": ";
    AppendJsonBytes(json, head.path);
    json += ", \"query\": ";
    AppendJsonBytes(json, head.query);
    json += ", \"headers\": [";
    for (size_t i = 0; i < head.headers.size(); ++i) {
        json += i ? ", [" : "[";
        AppendJsonBytes(json, head.headers[i].name);
        json += ", ";
        AppendJsonBytes(json, head.headers[i].value);
        json += "]";
    }
    return json + "]}\n";
}
