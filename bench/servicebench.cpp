#include "billingresponse.h"
#include "historylistresponse.h"

#include <benchmark/benchmark.h>

using namespace Tolvan;

namespace {

QByteArray historyPage()
{
    QByteArray entries;
    for (int i = 0; i < 20; ++i) {
        if (i > 0) {
            entries += ',';
        }
        entries +=
            R"({"id":)" + QByteArray::number(9007199254740993LL + i) +
            R"(,"type":"translation","source":"The quick brown fox jumps over the lazy dog.",)"
            R"("result":"El rápido zorro marrón salta sobre el perro perezoso.",)"
            R"("source_language":"en","target_language":"es",)"
            R"("inserted_at":"2025-03-01T12:30:45.123Z"})";
    }
    return R"({"history":[)" + entries +
           R"(],"pagination":{"page":1,"page_size":20,"total_count":240,"total_pages":12}})";
}

const QByteArray billing =
    R"({"subscription":{"status":"trialing","plan":"annual","recurring_interval":"year",)"
    R"("current_period_end":"2025-04-01T00:00:00Z","trial_end":"2025-03-08T00:00:00Z",)"
    R"("cancel_at_period_end":false,"last_synced_at":"2025-03-01T12:30:45.5Z","entitled":true},)"
    R"("plans":[{"id":"monthly","name":"Monthly","amount_minor":999,"currency":"USD",)"
    R"("recurring_interval":"month","trial_interval":"day","trial_interval_count":7},)"
    R"({"id":"annual","name":"Annual","amount_minor":9999,"currency":"USD",)"
    R"("recurring_interval":"year","trial_interval":"day","trial_interval_count":7}]})";

template<typename Record>
void decode(benchmark::State &state, const QByteArray &body)
{
    for (auto _ : state) {
        auto document = JsonFields::parse(body);
        auto record = Record::fromJson(document.value());
        benchmark::DoNotOptimize(record);
    }
    state.SetBytesProcessed(state.iterations() * body.size());
}

void decodeHistoryPage(benchmark::State &state)
{
    decode<HistoryListResponse>(state, historyPage());
}
BENCHMARK(decodeHistoryPage);

void decodeBillingResponse(benchmark::State &state)
{
    decode<BillingResponse>(state, billing);
}
BENCHMARK(decodeBillingResponse);

void formatPrice(benchmark::State &state)
{
    BillingPlan plan;
    plan.currency = QStringLiteral("EUR");
    plan.amountMinor = 1999;
    const QLocale locale(QStringLiteral("de_DE"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(plan.formattedPrice(locale));
    }
}
BENCHMARK(formatPrice);

} // namespace

BENCHMARK_MAIN();
