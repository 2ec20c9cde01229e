#pragma once
#include "engine/object.h"

#include <QDomNode>
#include <QEvent>

class QCoreApplication;
class CFsm;
class CTransition;

// Custom event types: a state (or a threaded action) has finished; an action's progress changed.
constexpr QEvent::Type kStateFinishedEvent = QEvent::Type(QEvent::User + 1);
constexpr QEvent::Type kActionProgressEvent = QEvent::Type(QEvent::User + 2);

// The base of everything an FSM can be in. Inputs and outputs are properties; the state does
// its work in enter() and ends by naming its leave event and calling leaveState().
class CState : public CPropertyObject {
    Q_OBJECT
public:
    CState(QObject* parent, const char* name, const QDomNode& element);
    ~CState() override;

    virtual void reset();
    virtual QCoreApplication* application() const;
    virtual CPropertyObject* applicationProperties() const;
    virtual void* userData() const;
    virtual bool isFsm() const;
    virtual QString fullName() const;
    virtual void initialize();
    virtual void enter() = 0;
    virtual void leave();
    virtual void addEvents(const QStringList& events);
    virtual bool hasEvent(const QString& event) const;
    virtual QString leaveEvent() const;
    virtual QStringList events() const;
    virtual void attachTransition(CTransition* transition, const QString& events);
    virtual CTransition* transition(const QString& event);
    virtual QMap<QString, CTransition*>& transitions();
    virtual bool hasTransition(const QString& events);
    virtual bool detachTransition(const QString& event);
    virtual void configure(const QDomNode& element, const QString& context);
    virtual QString typeName() const;
    virtual void setTypeName(const QString& typeName);
    virtual QString translationContext() const;
    virtual QString tr(const char* context, const char* text) const;
    virtual QString& errors();
    virtual int weight() const;
    virtual void setWeight(int weight);
    virtual void addSuppliedProperty(const QString& name);
    virtual void addAnnouncedProperty(const QString& name);
    virtual void addRequiredProperty(const QString& name);
    virtual bool isRequiredProperty(const QString& name) const;
    virtual bool isAnnouncedProperty(const QString& name) const;
    virtual QStringList& suppliedProperties();
    virtual QStringList& requiredProperties();
    virtual void emitFinished(CState* state, CTransition* transition);
    virtual void emitProgress(int progress);
    virtual void setLeaveEvent(const QString& event);

    const QStringList& announcedProperties() const { return m_announcedProperties; }
    double progressValue() const { return m_progress; }
    void setProgressValue(double progress) { m_progress = progress; }

    // The FSM that runs this state. It listens to the state's progress and finish while the
    // state is current; the signals stay available to anyone else who connects.
    CFsm* listener() const { return m_listener; }
    void setListener(CFsm* fsm) { m_listener = fsm; }

    // Moves definition values whose names are Qt properties of the finished class onto those
    // properties. While CState is being constructed only its own Qt properties are known, so
    // the element's values for a subclass's Qt properties land among the dynamic values, where
    // reads never see them. The creators call this right after construction.
    void settleQtProperties();

    // The parent as a state, or null.
    CState* parentState() const;

public slots:
    virtual void leaveState();

signals:
    void finished(CState* state, CTransition* transition);
    void progress(int progress);

protected:
    bool event(QEvent* e) override;
    // Applies one "property" element of a definition file.
    void applyPropertyElement(const QDomElement& e, const QString& context);
    // Translates a "tr(...)" text read from a definition file, falling back to "@default".
    QString translateDefinitionText(const QString& context, const QString& text) const;

    double m_progress = 0.0;

private:
    QString m_typeName;
    QString m_leaveEvent;
    QStringList m_events;
    QMap<QString, CTransition*> m_transitions;
    int m_weight = 0;
    QString m_errors;
    QStringList m_suppliedProperties;
    QStringList m_requiredProperties;
    QStringList m_announcedProperties;
    CFsm* m_listener = nullptr;
};

Q_DECLARE_METATYPE(CState*)
