#pragma once
// A scripted stand-in for the Dialogs service: never shows anything, records every question and
// answers from per-kind queues. Install it for a test with FakeDialogs::Installed (puts the
// Qt service back when it goes out of scope).
//
//   FakeDialogs dialogs;                    // answers: message boxes -> default (or first) button,
//   FakeDialogs::Installed use(dialogs);    //          file dialogs -> "" (cancel), print -> false
//   dialogs.messageAnswers.push_back(QMessageBox::Yes);
//   dialogs.openFileAnswers.push_back("chosen.app");
//   ... drive the window ...
//   QCOMPARE(dialogs.asked.size(), 1);
//   QCOMPARE(dialogs.asked[0].kind, FakeDialogs::Kind::Message);
#include "app/Dialogs.h"

#include <deque>
#include <vector>

class FakeDialogs final : public Dialogs {
public:
    enum class Kind { Message, Error, OpenFile, SaveFile, Print, Directory };

    struct Asked {
        Kind kind;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString caption;
        QString text; // message text, error text, or the file filter
        QString directory;
        QMessageBox::StandardButtons buttons = QMessageBox::NoButton;
        QWidget* parent = nullptr;
    };

    std::vector<Asked> asked;
    std::deque<QMessageBox::StandardButton> messageAnswers;
    std::deque<QString> openFileAnswers;
    std::deque<QString> saveFileAnswers;
    std::deque<bool> printAnswers;
    std::deque<QString> directoryAnswers;

    QMessageBox::StandardButton MessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) override
    {
        asked.push_back({Kind::Message, icon, caption, text, {}, buttons, parent});
        if (!messageAnswers.empty())
            return pop(messageAnswers);
        if (defaultButton != QMessageBox::NoButton)
            return defaultButton;
        return firstButton(buttons);
    }

    void ShowError(QWidget* parent, const QString& text) override
    {
        asked.push_back({Kind::Error, QMessageBox::Critical, {}, text, {}, QMessageBox::Ok, parent});
    }

    QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                            const QString& filter) override
    {
        asked.push_back({Kind::OpenFile, QMessageBox::NoIcon, caption, filter, directory, {}, parent});
        return openFileAnswers.empty() ? QString() : pop(openFileAnswers);
    }

    QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                            const QString& filter) override
    {
        asked.push_back({Kind::SaveFile, QMessageBox::NoIcon, caption, filter, directory, {}, parent});
        return saveFileAnswers.empty() ? QString() : pop(saveFileAnswers);
    }

    QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& directory) override
    {
        asked.push_back({Kind::Directory, QMessageBox::NoIcon, caption, {}, directory, {}, parent});
        return directoryAnswers.empty() ? QString() : pop(directoryAnswers);
    }

    bool ExecPrintDialog(QWidget* parent, QPrinter*) override
    {
        asked.push_back({Kind::Print, QMessageBox::NoIcon, {}, {}, {}, {}, parent});
        return printAnswers.empty() ? false : pop(printAnswers);
    }

    // How many questions of one kind were asked.
    int count(Kind kind) const
    {
        int n = 0;
        for (const Asked& a : asked)
            n += a.kind == kind ? 1 : 0;
        return n;
    }

    class Installed {
    public:
        explicit Installed(Dialogs& fake) { SetAppDialogs(&fake); }
        ~Installed() { SetAppDialogs(nullptr); }
        Installed(const Installed&) = delete;
        Installed& operator=(const Installed&) = delete;
    };

private:
    template <typename T>
    static T pop(std::deque<T>& queue)
    {
        T value = queue.front();
        queue.pop_front();
        return value;
    }

    static QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons)
    {
        for (unsigned bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1)
            if (buttons.testFlag(static_cast<QMessageBox::StandardButton>(bit)))
                return static_cast<QMessageBox::StandardButton>(bit);
        return QMessageBox::NoButton;
    }
};
