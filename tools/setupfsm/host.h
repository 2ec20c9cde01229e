#pragma once
#include "engine/diagnostic.h"
#include "runpolicy.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <memory>

class CFsm;
class CPropertyObject;
class CStateFactory;

// What the host keeps for one command: the plug-in, the factory tree, the application
// properties and the scripted answers of the wizard pages.
class Host {
public:
    static Host& instance();

    // Loads the plug-in and obtains the "generic" factory with the host factory as fallback.
    bool load(QString* error);
    CStateFactory* factory() const { return m_generic; }

    struct BuildOptions {
        QString file;
        QString appPath;                          // default: the file's directory
        QString xmlPath = QStringLiteral(".");
        QList<QPair<QString, QString>> settings;  // application properties
        QList<QPair<QString, QString>> properties; // root FSM properties
    };
    // Builds the top FSM of a definition file. On failure returns null and the error text,
    // with its place in `found`. A built FSM may still carry build errors in errors().
    CFsm* build(const BuildOptions& options, QString* error, CDiagnostics* found = nullptr);

    CPropertyObject* applicationProperties() const { return m_appProperties.get(); }

    // Exit judgement, unattended mode and the scripted page answers of this run.
    RunPolicy policy;

    // Human output of pages and state changes goes nowhere in quiet or JSON mode.
    bool humanOutput = true;

    ~Host();

private:
    Host() = default;

    CStateFactory* m_hostFactory = nullptr;
    CStateFactory* m_generic = nullptr;
    std::unique_ptr<CPropertyObject> m_appProperties;
};

// Splits "KEY=VALUE"; false when there is no "=" or the key is empty.
bool splitAssignment(const QString& text, QString* key, QString* value);
