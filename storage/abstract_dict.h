#pragma once

// The storable base of the small dictionaries. It has no data and stores nothing itself; the
// class name is what the system has always registered it under.

class CArchive;

class CAbstractDict {
public:
    virtual ~CAbstractDict() = default;
    virtual const char* GetClassName() const { return "CAbstractDict"; }
    virtual void Serialize(CArchive&) { }
};
