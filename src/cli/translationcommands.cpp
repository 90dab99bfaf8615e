#include "translationcommands.h"

#include "jsonrecords.h"
#include "storewait.h"

namespace Tolvan {

TranslationCommands::TranslationCommands(CommandContext &context, const Invocation &invocation)
    : m_context(context)
    , m_invocation(invocation)
{
}

QCoro::Task<std::optional<ExitStatus>> TranslationCommands::loadCatalogue()
{
    TranslationStore &store = m_context.stores().translation();
    store.loadLanguages(false);
    co_await waitFor(&store, &TranslationStore::isLoadingLanguages,
                     &TranslationStore::isLoadingLanguagesChanged, false);
    if (store.languageMessage()) {
        co_return m_context.fail(*store.languageMessage());
    }
    co_return std::nullopt;
}

QCoro::Task<ExitStatus> TranslationCommands::languages()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    if (const auto failed = co_await loadCatalogue()) {
        co_return *failed;
    }
    QStringList lines;
    nlohmann::json document = nlohmann::json::array();
    for (const TranslationLanguage &language : m_context.stores().translation().languages()) {
        lines.append(language.code + QLatin1Char('\t') + language.name);
        document.push_back(JsonRecords::language(language));
    }
    m_context.print(lines, document);
    co_return ExitStatus::Success;
}

QCoro::Task<ExitStatus> TranslationCommands::translate()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    if (const auto failed = co_await loadCatalogue()) {
        co_return *failed;
    }
    TranslationStore &store = m_context.stores().translation();
    if (m_invocation.from) {
        store.setSource(store.language(*m_invocation.from));
    }
    store.setTarget(store.language(m_invocation.to));
    // The input editor's placeholder asks for the text.
    const QString placeholder = QStringLiteral("Enter text to translate…");
    store.setText(m_invocation.text ? *m_invocation.text
                                    : m_context.console().readAll(placeholder + QLatin1Char('\n')));
    if (!store.canTranslate()) {
        // The status line says why; it says nothing about a blank text.
        const QString why = store.status().text;
        co_return m_context.fail(why.isEmpty() ? placeholder : why);
    }
    store.translate();
    co_await waitFor(&store, &TranslationStore::isBusy, &TranslationStore::isBusyChanged, false);
    if (store.message()) {
        co_return m_context.fail(*store.message(), store.billingURL());
    }
    m_context.print({store.result()},
                    {{"text", JsonRecords::text(store.result())},
                     {"source_language", JsonRecords::text(store.source()->code)},
                     {"target_language", JsonRecords::text(store.target()->code)}});
    co_return ExitStatus::Success;
}

} // namespace Tolvan
