// SPDX-License-Identifier: MIT
#include "consolepages.h"
#include "pagetext.h"

#include <QSocketNotifier>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

void out(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fflush(stdout);
}

// Prompts go to standard error so that standard output stays a record of the pages.
void say(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stderr);
    std::fflush(stderr);
}

QString numbered(const QStringList& items)
{
    QString text;
    for (int i = 0; i < items.size(); ++i)
        text += QStringLiteral("  [%1] %2").arg(i + 1).arg(items.at(i));
    return text;
}

// A number picks an option by its place; anything else stands as typed.
QString optionOf(const QStringList& options, const QString& typed)
{
    bool isNumber = false;
    const int n = typed.trimmed().toInt(&isNumber);
    return isNumber && n >= 1 && n <= options.size() ? options.at(n - 1) : typed.trimmed();
}

} // namespace

ConsolePages::ConsolePages(bool humanOutput) : m_human(humanOutput) {}

ConsolePages::~ConsolePages()
{
    stop();
}

void ConsolePages::print(const CPageState* page) const
{
    if (!m_human)
        return;
    const PageModel* model = page->model();
    QString text = QStringLiteral("\n== %1 ==\n").arg(model->title().isEmpty() ? page->fullName() : model->title());
    const QString body = PageText::toPlain(model->text());
    if (!body.isEmpty())
        text += body + QLatin1Char('\n');
    for (const PageField& f : model->fields()) {
        if (f.kind == PageField::Licence)
            text += model->licenceText(f.key).trimmed() + QLatin1Char('\n');
        else if (f.kind != PageField::Password)
            text += QStringLiteral("  %1: %2\n").arg(f.label(), model->answerText(f.key));
    }
    out(text);
}

void ConsolePages::showPage(CPageState* page)
{
    print(page);
    if (!isatty(STDIN_FILENO)) {
        page->chooseDefault();
        return;
    }
    m_page = page;
    m_field = 0;
    m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_input, &QSocketNotifier::activated, this, &ConsolePages::slotInput);
    askNext();
    // Lines typed ahead of this page were read with the previous one's.
    takePendingLines();
}

void ConsolePages::takePendingLines()
{
    qsizetype feed;
    while (m_page && (feed = m_pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(m_pending.left(feed)).remove(QLatin1Char('\r'));
        m_pending.remove(0, feed + 1);
        takeLine(line);
    }
}

void ConsolePages::askNext()
{
    const auto& fields = m_page->model()->fields();
    if (m_field < fields.size())
        askField(fields.at(m_field));
    else
        askEvent();
}

void ConsolePages::askField(const PageField& f)
{
    const PageModel* model = m_page->model();
    const QString now = model->answerText(f.key);
    QString prompt = f.label() + (f.required ? QStringLiteral(" (required)") : QString());
    switch (f.kind) {
    case PageField::Password:
        setEcho(false);
        prompt += QStringLiteral(": ");
        break;
    case PageField::Choice:
        prompt += QStringLiteral(":%1\n[%2] ").arg(numbered(f.options()), now);
        break;
    case PageField::Checklist:
        prompt += QStringLiteral(":%1\nnumbers or names separated by ',', '-' for none [%2] ")
                      .arg(numbered(f.options()), now);
        break;
    case PageField::Licence:
        prompt = QStringLiteral("Do you accept the licence agreement? accept or decline [%1] ").arg(now);
        break;
    default:
        prompt += QStringLiteral(" [%1] ").arg(now);
        break;
    }
    say(prompt);
}

void ConsolePages::askEvent()
{
    const QStringList problems = m_page->model()->problems();
    if (!problems.isEmpty())
        say(problems.join(QLatin1Char(' ')) + QLatin1Char('\n'));
    say(QStringLiteral("Choose for page %1:%2\n> ").arg(m_page->fullName(), numbered(m_page->offeredEvents())));
}

void ConsolePages::slotInput()
{
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // End of input: take the default rather than waiting for ever.
        CPageState* page = m_page;
        stop();
        if (page)
            page->chooseDefault();
        return;
    }
    m_pending.append(buffer, int(n));
    takePendingLines();
}

void ConsolePages::takeLine(const QString& line)
{
    const auto& fields = m_page->model()->fields();
    if (m_field >= fields.size()) {
        takeEventLine(line.trimmed());
        return;
    }
    if (m_echoOff) {
        setEcho(true);
        say(QStringLiteral("\n"));
    }
    if (takeFieldLine(fields.at(m_field), line))
        ++m_field;
    askNext();
}

bool ConsolePages::takeFieldLine(const PageField& f, const QString& line)
{
    PageModel* model = m_page->model();
    if (line.trimmed().isEmpty() && f.kind != PageField::Password)
        return true; // keep what it holds
    QString answer = line;
    if (f.kind == PageField::Choice) {
        answer = optionOf(f.options(), line);
    } else if (f.kind == PageField::Checklist) {
        QStringList items;
        if (line.trimmed() != QLatin1String("-")) {
            for (const QString& item : line.split(QLatin1Char(','), Qt::SkipEmptyParts))
                items << optionOf(f.options(), item);
        }
        answer = items.join(QLatin1Char(','));
    }
    QString why;
    if (model->setAnswer(f.key, answer, &why))
        return true;
    say(why + QLatin1Char('\n'));
    return false;
}

void ConsolePages::takeEventLine(const QString& line)
{
    const QStringList offered = m_page->offeredEvents();
    const QString event = line.isEmpty() ? offered.first() : optionOf(offered, line);
    QString why;
    CPageState* page = m_page;
    stop();
    if (page->choose(event, &why))
        return;
    say(why + QLatin1Char('\n'));
    // Ask again from the first field: what is missing is among them.
    m_page = page;
    m_field = m_page->model()->isForward(event) ? 0 : int(m_page->model()->fields().size());
    m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_input, &QSocketNotifier::activated, this, &ConsolePages::slotInput);
    askNext();
}

void ConsolePages::setEcho(bool on)
{
    termios mode {};
    if (tcgetattr(STDIN_FILENO, &mode) != 0)
        return;
    if (on)
        mode.c_lflag |= ECHO;
    else
        mode.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &mode);
    m_echoOff = !on;
}

void ConsolePages::pageLeft(CPageState* page)
{
    if (page == m_page)
        stop();
}

void ConsolePages::stop()
{
    if (m_echoOff)
        setEcho(true);
    m_page = nullptr;
    if (!m_input)
        return;
    // May run inside the notifier's own signal: defer the deletion.
    m_input->setEnabled(false);
    m_input->deleteLater();
    m_input = nullptr;
}
