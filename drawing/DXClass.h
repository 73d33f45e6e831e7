// Small helpers the drawing layer and the board share: integer Max/Min, the 256-step cosine table,
// a loader that takes procedures out of libraries by name (keeping the libraries loaded), and a
// collection whose items are found by name through a 256-bucket hash.
#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "Classes.h"
#include "Controls.h"
#include "Forms.h"
#include "SysUtils.h"
#include "System.h"

inline int32_t Max(int32_t A, int32_t B) { return A > B ? A : B; }
inline int32_t Min(int32_t A, int32_t B) { return A < B ? A : B; }

// Angles of 256 steps per turn; only the low byte of Angle counts.
Extended Cos256(int32_t Angle);
Extended Sin256(int32_t Angle);

// The procedure ProcName of library LibName. A library is loaded once and stays loaded until the
// program ends. Raises Exception "<LibName> を読み込めません" when the library or the procedure is
// missing.
void* DXLoadLibraryProc(const AnsiString& LibName, const AnsiString& ProcName);

// The bucket of a name: length * 16, plus the first and the second-to-last character of the
// lower-cased name when it has two or more; low byte.
int32_t HashName(const AnsiString& Name);

class THashCollection;

// An item of a THashCollection; its Name links it into its collection's hash.
class THashCollectionItem : public TCollectionItem {
 public:
  explicit THashCollectionItem(TCollection* Collection);
  ~THashCollectionItem() override;

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value);
  void SetIndex(int Value) override;
  // Moving to another collection unlinks the name from the old hash and links it into the new.
  void SetCollection(TCollection* Value) override;
  AnsiString DisplayName() override;
  void Assign(TPersistent* Source) override;

  int32_t HashIndex() const { return FHashIndex; }
  int32_t CachedIndex() const { return FCachedIndex; }

 private:
  friend class THashCollection;
  THashCollection* HashOwner() const;
  void Link();
  void Unlink();

  int32_t FHashIndex = 0;
  int32_t FCachedIndex = 0;
  AnsiString FName;
  THashCollectionItem* FPrev = nullptr;
  THashCollectionItem* FNext = nullptr;
};

class THashCollection : public TCollection {
 public:
  explicit THashCollection(TCollectionItemClass ItemClass);
  // Frees the items while the hash still exists, since each item unlinks itself.
  ~THashCollection() override;

  // The index of the item named Name (any case), the one named last among equal names; -1 when
  // none.
  int IndexOf(const AnsiString& Name) const;

 private:
  friend class THashCollectionItem;
  std::array<THashCollectionItem*, 256> FBuckets{};
};

// ---- Window hook -----------------------------------------------------------------------------

// What a TControlSubClass calls for every message of the control: Data as given, the message,
// and the control's own window procedure, which the callback calls when and if it wants.
using TControlSubClassProc = void (*)(void* Data, TMessage& Message, const TWndMethod& DefWindowProc);

// Puts Callback in front of the control's WindowProc until destroyed, then puts the saved
// procedure back.
class TControlSubClass : public TObject {
 public:
  TControlSubClass(TControl* AControl, TControlSubClassProc ACallback, void* AData);
  ~TControlSubClass() override;
  TControl* Control() const { return FControl; }

 private:
  void WndProc(TMessage& Message);
  TControl* FControl;
  TWndMethod FDefWndProc;
  TControlSubClassProc FCallback;
  void* FData;
};

// ---- Frame timer -----------------------------------------------------------------------------

using TDXTimerEvent = std::function<void(TObject* Sender, int32_t LagCount)>;

// A frame timer run from the application's idle time: OnTimer fires when Interval milliseconds
// have passed since the last tick, with the number of whole intervals that went by. While it
// runs the application's OnIdle is its own; the message loop waits until the next tick is due.
class TCustomDXTimer : public TComponent {
 public:
  explicit TCustomDXTimer(TComponent* AOwner);
  ~TCustomDXTimer() override;

  bool ActiveOnly() const { return FActiveOnly; }
  void SetActiveOnly(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  int32_t FrameRate() const { return FFrameRate; }
  int32_t Interval() const { return FInterval; }
  void SetInterval(int32_t Value);
  bool Started() const { return FStarted; }

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TDXTimerEvent OnTimer;

  // The millisecond clock the timers read: timeGetTime unless a test puts its own.
  static void SetClock(std::function<uint32_t()> Clock);
  static uint32_t Now();

 protected:
  virtual void DoActivate();
  virtual void DoDeactivate();
  virtual void DoTimer(int32_t LagCount);
  void Loaded() override;

 private:
  bool AppActive() const;
  void Start();
  void Stop();
  void Resume();
  void Suspend();
  bool MainWindowHook(TMessage& Message);
  void IdleTick(TObject* Sender, bool& Done);

  bool FActiveOnly = true;
  bool FEnabled = false;
  int32_t FFrameRate = 0;
  bool FStarted = false;
  int32_t FInterval = 0;
  int32_t FIntervalDivisor = 1;
  int32_t FFrameCount = 0;
  uint32_t FLastTickTime = 0;
  uint32_t FFrameRateTime = 0;
  bool FSuspended = true;
};

class TDXTimer : public TCustomDXTimer {
 public:
  using TCustomDXTimer::TCustomDXTimer;
};

// ---- Drawing form ----------------------------------------------------------------------------

// Live TDXForm instances.
extern int32_t DXFormCount;

// The base of a full-screen drawing form: the form carries the taskbar button, not the
// application window; a minimise from the system menu sets WindowState.
class TDXForm : public TForm {
 public:
  explicit TDXForm(TComponent* AOwner);
  ~TDXForm() override;
  void SaveWindowPlacement();
  bool PlacementSaved() const { return FPlacementSaved; }
  const WINDOWPLACEMENT& WindowPlacement() const { return FWindowPlacement; }

 protected:
  void CreateParams(TCreateParams& Params) override;

 public:
  void Dispatch(TMessage& Message) override;

 private:
  bool FPlacementSaved = false;
  WINDOWPLACEMENT FWindowPlacement{};
};
