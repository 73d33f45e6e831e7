// Wide properties in form resources: the companions that older form data kept beside each wide
// property (a UTF-8 "W" twin and a UTF-7 "_UTF7" twin), the ANSI/wide twin of a property the
// framework keeps as ANSI text, and the per-component helper list the wide controls keep their
// texts in.
#pragma once
#include <functional>
#include <vector>

#include "Classes.h"
#include "System.h"

// Whether the "W" and "_UTF7" twins read from a form are applied at run time (they always are
// while the reader's owner is being designed). Nothing in the system sets it.
extern bool ApplyLegacyWideValues;

// Defines the companions of every published wide-string and wide-character property of
// Component: called from the DefineProperties of each control, action, form and dialog of the
// layer after the inherited definitions.
void DefineWideProperties(TFiler* Filer, TPersistent* Component);

// The wide text of a property whose ANSI value the framework keeps: when the ANSI form of
// WideTwin differs from AnsiValue (a change made through the ANSI property), WideTwin becomes
// AnsiValue widened. Answers WideTwin.
WideString SyncWideFromAnsi(WideString& WideTwin, const AnsiString& AnsiValue);
// Whether Value comes back whole from its narrowed form Narrowed (an ordinal comparison: the
// framework's locale comparison is a W call the ANSI-only platform lacks).
bool SurvivesCodePage(const WideString& Value, const AnsiString& Narrowed);
// Sets a wide property with an ANSI twin: WideTwin takes Value, AnsiSetter its narrowed form.
// A value the code page cannot hold whose narrowed form equals the current ANSI value first
// sets empty ANSI text, so that the framework sees a change (and repaints).
void SetWideWithAnsiTwin(const WideString& Value, WideString& WideTwin, const AnsiString& AnsiValue,
                         const std::function<void(const AnsiString&)>& AnsiSetter, TComponent* Component);

// ---------------------------------------------------------------------------------------------
// Helpers: one object per component that holds what the component cannot (its wide texts). A
// helper lives in one list, sorted by the address of its component, and frees itself (leaving
// the list) when its component goes away.
class TWideComponentHelper;

class TWideComponentHelperList {
 public:
  TWideComponentHelperList() = default;
  ~TWideComponentHelperList();  // frees the helpers still listed
  TWideComponentHelperList(const TWideComponentHelperList&) = delete;
  TWideComponentHelperList& operator=(const TWideComponentHelperList&) = delete;
  int Count() const { return static_cast<int>(items_.size()); }
  TWideComponentHelper* Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }

 private:
  friend class TWideComponentHelper;
  friend bool FindWideComponentHelperIndex(const TWideComponentHelperList&, const TComponent*, int&);
  template <class H>
  friend H* CreateHelper(TComponent*, TWideComponentHelperList&);
  void Insert(int Index, TWideComponentHelper* Helper);
  void Remove(TWideComponentHelper* Helper);
  std::vector<TWideComponentHelper*> items_;
  bool clearing_ = false;
};

class TWideComponentHelper : public TComponent {
 public:
  struct FromList {};
  // Helpers are made by CreateHelper only: this raises EUcInternalError.
  explicit TWideComponentHelper(TComponent* AOwner);
  ~TWideComponentHelper() override;
  TComponent* Component() const { return component_; }

 protected:
  TWideComponentHelper(FromList, TComponent* AComponent, TWideComponentHelperList* List);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  template <class H>
  friend H* CreateHelper(TComponent*, TWideComponentHelperList&);
  TComponent* component_ = nullptr;
  TWideComponentHelperList* list_ = nullptr;
};

// Binary search of the list for Component (by full address comparison); Index is where it is,
// or where it would be inserted.
bool FindWideComponentHelperIndex(const TWideComponentHelperList& List, const TComponent* Component, int& Index);
// The helper of Component, or nullptr.
TWideComponentHelper* FindHelper(const TWideComponentHelperList& List, const TComponent* Component);

// Makes a helper of class H for Component (H has a constructor (FromList, Component, List)).
template <class H>
H* CreateHelper(TComponent* Component, TWideComponentHelperList& List) {
  int index = 0;
  FindWideComponentHelperIndex(List, Component, index);
  H* helper = new H(typename H::FromList{}, Component, &List);
  List.Insert(index, helper);
  return helper;
}
