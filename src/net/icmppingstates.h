// SPDX-License-Identifier: MIT
#pragma once
#include "actions/actionstate.h"

// "icmpPing": one echo request; leaves with "reply" or "noReply" and "roundTripTime".
class CIcmpPingState : public CActionState {
    Q_OBJECT
public:
    CIcmpPingState(QObject* parent, const char* name, const QDomNode& element);
    // The job reads this state's properties: it ends before the state is taken apart.
    ~CIcmpPingState() override;

    void initialize() override;
};

// The two list states ping the addresses of "addressList" one at a time through their action
// and show the progress of the whole list.
class CIcmpListState : public CActionState {
    Q_OBJECT
public:
    CIcmpListState(QObject* parent, const char* name, const QDomNode& element, const char* actionName);
    ~CIcmpListState() override;

    void enter() override;

public Q_SLOTS:
    void slot_actionFinished(int result) override;
    void slot_actionProgress(int current, int total) override;

protected:
    // The addresses to ping, read at entry.
    virtual QStringList readAddresses() const;
    // Resets the outcome of the list before the first request.
    virtual void beginList() = 0;
    // Takes the outcome of one request for the address just pinged.
    virtual void takeResult(int result, const QString& address) = 0;
    // Stores the outcome and leaves.
    virtual void endList() = 0;

private:
    void pingNext();

    QStringList m_addresses;
    uint m_index = 0;
};

// "icmpPingAddresses": leaves with "success" when every address answered, else "failed";
// "resultList" holds each round-trip time, -1 where no reply came.
class CIcmpPingAddressesState : public CIcmpListState {
    Q_OBJECT
public:
    CIcmpPingAddressesState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;

protected:
    QStringList readAddresses() const override;
    void beginList() override;
    void takeResult(int result, const QString& address) override;
    void endList() override;

private:
    QVariantList m_results;
    bool m_allAnswered = true;
};

// "icmpCheckAddresses": leaves with "existingFound" when some address answered, else
// "noneExist"; "existingAddressList" holds the answering ones in input order.
class CIcmpCheckAddressesState : public CIcmpListState {
    Q_OBJECT
public:
    CIcmpCheckAddressesState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;

protected:
    void beginList() override;
    void takeResult(int result, const QString& address) override;
    void endList() override;

private:
    QStringList m_existing;
};
