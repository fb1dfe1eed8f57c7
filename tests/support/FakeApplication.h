#pragma once

#include "common/Application.h"

class FakeApplication final : public Application
{
public:
    explicit FakeApplication(QStringList args = {}) : args(std::move(args)) {}

    QStringList arguments() const override { return args; }
    void processMessages() override { ++messagePumps; }
    void terminate() override { isTerminated = true; }
    bool terminated() const override { return isTerminated; }

    QStringList args;
    int messagePumps = 0;
    bool isTerminated = false;
};
