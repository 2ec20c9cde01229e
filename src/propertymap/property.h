#pragma once
#include <QByteArray>
#include <QString>
#include <QVariant>

class CPropertyObject;

// A property cell: the target of a property map, or the input behind a property reference.
// Built from a reference text: "fsm.x" names x of the FSM, "app.x" x of the application
// properties, anything else a property of the state.
class CProperty {
public:
    enum Location { LocationState = 0, LocationFsm = 1, LocationApp = 2 };

    CProperty() = default;
    explicit CProperty(const QString& reference);
    // Virtual because the map deletes its cells through this type; a subclass may extend them.
    virtual ~CProperty() = default;
    CProperty(const CProperty&) = default;
    CProperty& operator=(const CProperty&) = default;

    virtual void setObject(CPropertyObject* object);
    virtual void setValue(const QVariant& value);
    virtual bool isSet() const { return m_isSet; }
    virtual QVariant value() const { return m_value; }
    virtual CPropertyObject* object() const { return m_object; }
    virtual QString name() const { return m_name; }
    virtual int location() const { return m_location; }

    // The name as the property interface takes it; converted once, because maps read and
    // write their properties on every firing.
    const char* latin1Name() const { return m_latin1Name.constData(); }

private:
    void setLocationAndName(const QString& reference);

    bool m_isSet = false;
    QString m_name;
    QVariant m_value;
    CPropertyObject* m_object = nullptr; // not owned
    int m_location = LocationState;
    QByteArray m_latin1Name;
};
