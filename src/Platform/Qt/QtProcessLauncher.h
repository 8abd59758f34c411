#pragma once
#include "Platform/ProcessLauncher.h"

class QtProcessLauncher final : public ProcessLauncher {
public:
    QString programPath() const override;
    qint64 processId() const override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
    void quit() override;
};
