#pragma once

#include <windows.h>

// The DLL's module handle and the count of live factory, creator and button
// objects that decides whether the DLL may be unloaded.
class ServerModule {
 public:
  static HMODULE Handle();
  static void SetHandle(HMODULE module);

  static void ObjectCreated();
  static void ObjectDestroyed();
  static LONG LiveObjects();
};

// Base of every object the server hands out: counts it while it lives.
class CountedObject {
 protected:
  CountedObject() { ServerModule::ObjectCreated(); }
  ~CountedObject() { ServerModule::ObjectDestroyed(); }
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;
};
