// Every response body the client decodes: no input may crash a decoder, and
// a record either decodes whole or not at all.
#include "autherrorenvelope.h"
#include "billingcheckoutresponse.h"
#include "billingerrorenvelope.h"
#include "billingportalresponse.h"
#include "billingresponse.h"
#include "historylistresponse.h"
#include "historyresponse.h"
#include "improveresponse.h"
#include "languagesresponse.h"
#include "otprequested.h"
#include "tokenpair.h"
#include "translationresponse.h"

#include <cstdint>
#include <cstdlib>

using namespace Tolvan;

namespace {

template<typename Record>
void decode(const nlohmann::json &document)
{
    const Result<Record> record = Record::fromJson(document);
    // A failure always says what went wrong.
    if (!record && record.error().text().isEmpty()) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto document =
        JsonFields::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!document) {
        return 0;
    }
    const nlohmann::json &json = document.value();
    decode<TokenPair>(json);
    decode<OTPRequested>(json);
    decode<LanguagesResponse>(json);
    decode<TranslationResponse>(json);
    decode<ImproveResponse>(json);
    decode<HistoryListResponse>(json);
    decode<HistoryResponse>(json);
    decode<BillingResponse>(json);
    decode<BillingCheckoutResponse>(json);
    decode<BillingPortalResponse>(json);
    decode<AuthErrorEnvelope>(json);
    decode<BillingErrorEnvelope>(json);
    return 0;
}
