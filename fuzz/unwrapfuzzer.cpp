// An improved text as the service answers it: a JSON object with a string
// "text" (in a fenced block or not) yields that string; any other answer
// without a fence comes back exactly as received.
#include "writingstore.h"

#include <cstdint>
#include <cstdlib>

using namespace Tolvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString answer = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString unwrapped = WritingStore::unwrapImprovedText(answer);

    const auto document = JsonFields::parse(answer.trimmed().toUtf8());
    if (document && document.value().is_object()) {
        const auto text = document.value().find("text");
        if (text != document.value().end() && text->is_string()) {
            if (unwrapped != QString::fromStdString(text->get<std::string>())) {
                std::abort();
            }
            return 0;
        }
    }
    if (!answer.contains(QLatin1String("```")) && unwrapped != answer) {
        std::abort();
    }
    return 0;
}
