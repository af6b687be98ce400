#pragma once
// The dialogs a test answers in the racer's place (vantrel::Dialogs): a file
// choice goes to the answer set for it, a name is the next one set; without
// an answer the racer cancels. The windows are given dialogs() and ask this
// object at the time they ask, for as long as they live.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "Dialogs.h"

namespace windowtest {

class AnsweredDialogs {
public:
    using FileAnswer = std::function<QStringList(vantrel::FileChoice choice, const QString& suggestion)>;

    vantrel::Dialogs dialogs() const {
        const std::shared_ptr<State> state = m_state;
        return {[state](QWidget*, vantrel::FileChoice choice, const QString& suggestion) {
                    return state->files ? state->files(choice, suggestion) : QStringList();
                },
                [state](QWidget*, const QString&, const QString&, const QString&) {
                    return std::exchange(state->nextName, std::nullopt);
                }};
    }

    // Every file choice from now on; empty: cancelled.
    void answerFiles(FileAnswer answer) { m_state->files = std::move(answer); }
    // This choice with these paths, any other cancelled.
    void answerFiles(vantrel::FileChoice only, const QStringList& paths) {
        answerFiles([only, paths](vantrel::FileChoice choice, const QString&) {
            return choice == only ? paths : QStringList();
        });
    }
    // The next name asked for; after it the racer cancels again.
    void answerNextName(const QString& name) { m_state->nextName = name; }

private:
    struct State {
        FileAnswer files;
        std::optional<QString> nextName;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

}  // namespace windowtest
