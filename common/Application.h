#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

// The running program as the logic sees it: its command line, its message queue and its end.
class Application
{
public:
    virtual ~Application() = default;

    // The arguments after the program name.
    virtual QStringList arguments() const = 0;
    // The same as the system gave them: a file name need not be text.
    virtual QList<QByteArray> nativeArguments() const
    {
        QList<QByteArray> native;
        for (const QString& argument : arguments())
            native.append(QFile::encodeName(argument));
        return native;
    }
    // Lets pending window messages through (the driver's messages among them).
    virtual void processMessages() = 0;
    // Asks the program to end; the message loop then stops as soon as it runs.
    virtual void terminate() = 0;
    virtual bool terminated() const = 0;

    QString firstArgument() const
    {
        const QStringList args = arguments();
        return args.isEmpty() ? QString() : args.first();
    }
};

class QtApplication final : public Application
{
public:
    explicit QtApplication(QList<QByteArray> arguments) : m_arguments(std::move(arguments)) {}

    QStringList arguments() const override
    {
        QStringList text;
        for (const QByteArray& argument : m_arguments)
            text.append(QString::fromLocal8Bit(argument));
        return text;
    }
    QList<QByteArray> nativeArguments() const override { return m_arguments; }
    void processMessages() override;
    void terminate() override;
    bool terminated() const override { return m_terminated; }

private:
    QList<QByteArray> m_arguments;
    bool m_terminated = false;
};
