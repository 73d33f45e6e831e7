// Component streaming: the binary component stream ("TPF0"), TFiler, TReader and TWriter, the
// framework's text form syntax, and the table of form resources.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>
#include "Classes.h"
struct TPropInfo;

enum TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
  vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
  vaInt64, vaUTF8String
};

// Prefix flags of a component in the stream.
enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

inline constexpr const char* SInvalidImage = "無効なストリーム形式です";
inline constexpr const char* SAncestorNotFound = "'%s' の祖先が見つかりません";
inline constexpr const char* SInvalidPropertyPath = "無効なプロパティのパスです";
inline constexpr const char* SResNotFound = "リソース %s が見つかりません";
inline constexpr const char* SParseError = "%s (%d 行)";

class TReader;
void ReadInheritedResources(TComponent* Instance, const std::vector<AnsiString>& ResNames);

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

class TFiler : public TObject {
 public:
  explicit TFiler(TStream* Stream) : stream_(Stream) {}
  TStream* Stream() const { return stream_; }
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* Value) { root_ = Value; }
  TComponent* LookupRoot() const { return lookup_root_; }
  // The ancestor of the object being written (nullptr when none; always nullptr for a reader).
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* Value) { ancestor_ = Value; }
  bool IgnoreChildren() const { return ignore_children_; }
  void SetIgnoreChildren(bool Value) { ignore_children_ = Value; }

  // A property not in the registry. The reader calls ReadData when the stream names it; the
  // writer calls WriteData (after writing the name) when HasData holds.
  virtual void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                              const TWriterProc& WriteData, bool HasData) = 0;
  // The same for binary data (value vaBinary: a 32-bit size, then the bytes).
  virtual void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;

 protected:
  // The registry's extra definitions for Instance's classes, then its own DefineProperties.
  void CallDefineProperties(TPersistent* Instance);

  TStream* stream_;
  TComponent* root_ = nullptr;
  TComponent* lookup_root_ = nullptr;
  TPersistent* ancestor_ = nullptr;
  bool ignore_children_ = false;
};

class TReader : public TFiler {
 public:
  explicit TReader(TStream* Stream, int BufSize = 4096);
  ~TReader() override;

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  // The component that owns what is being read (the root while reading a form), and the parent
  // given to components as they are made.
  TComponent* Owner() const { return owner_; }
  void SetOwner(TComponent* Value) { owner_ = Value; }
  TComponent* Parent() const { return parent_; }
  void SetParent(TComponent* Value) { parent_ = Value; }
  // The property being read ("Font.Name" gives "Name"); empty once a definition took it.
  const AnsiString& PropName() const { return prop_name_; }

  // Values. Each Read* takes the value type first and raises EReadError
  // ("不正なプロパティの値です") when it is not one the call accepts.
  TValueType ReadValue();
  TValueType NextValue();
  void CheckValue(TValueType Value);
  bool EndOfList();
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  char ReadChar();            // a one-byte string (or a one-character wide string)
  WideChar ReadWideChar();
  long double ReadFloat();    // vaExtended or an integer
  float ReadSingle();
  double ReadCurrency();
  int64_t ReadCurrencyUnits();  // the stored value: units of 1/10000
  TDateTime ReadDate();
  AnsiString ReadString();    // vaString, vaLString, vaWString (narrowed), vaUTF8String
  WideString ReadWideString();  // the same, widened from the ANSI code page or UTF-8
  AnsiString ReadIdent();     // vaIdent, vaFalse, vaTrue, vaNil, vaNull
  AnsiString ReadStr();       // a short string without value type (names)
  void ReadSignature();
  void ReadPrefix(TFilerFlags& Flags, int& AChildPos);
  // Reads and drops one value of any type.
  void SkipValue();
  void Read(void* Buf, int32_t Count);
  // Bytes left in the stream: lengths read from the stream are checked against it.
  int64_t Remaining();

  void ReadProperty(TPersistent* AInstance);
  void ReadCollection(TCollection* Collection);
  // Properties, then children, of Instance (the default of TComponent::ReadState).
  void ReadData(TComponent* Instance);
  TComponent* ReadComponent(TComponent* Component);
  // Reads a whole stream onto Root (which must exist): properties, children, then the fixups
  // and Loaded of every component read.
  TComponent* ReadRootComponent(TComponent* Root);

  // Event values are looked up in the root's method registry; an unknown name raises
  // EReadError "メソッド %s が見つかりません". Set to keep event values unresolved instead.
  bool IgnoreMissingMethods = false;

 private:
  friend void ReadInheritedResources(TComponent*, const std::vector<AnsiString>&);
  struct Fixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    AnsiString Name;
  };
  void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop);
  void ReadSetValue(TPersistent* Instance, const TPropInfo* Prop);
  void ResolveFixups();
  void CallLoaded();
  void SkipSetBody();
  void SkipBytes(int64_t Count);
  uint32_t ReadLength();

  TComponent* owner_ = nullptr;
  TComponent* parent_ = nullptr;
  AnsiString prop_name_;
  bool can_handle_excepts_ = false;
  std::vector<Fixup> fixups_;
  std::vector<TComponent*> loaded_;
  std::vector<TComponent*>* shared_loaded_ = nullptr;  // several levels of one root
  int depth_ = 0;
};

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream* Stream, int BufSize = 4096);
  ~TWriter() override;

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(int64_t Value);  // the smallest of vaInt8/16/32/64
  void WriteBoolean(bool Value);
  void WriteChar(char Value);
  void WriteWideChar(WideChar Value);  // vaWString of one character
  void WriteFloat(long double Value);
  void WriteSingle(float Value);
  void WriteCurrency(double Value);  // EWriteError when out of the currency range
  void WriteCurrencyUnits(int64_t Units);
  void WriteDate(TDateTime Value);
  void WriteString(const AnsiString& Value);  // vaString up to 255 bytes, else vaLString
  void WriteWideString(const WideString& Value);  // always vaWString
  void WriteIdent(const AnsiString& Ident);  // False/True/nil get their own value types
  void WriteStr(const AnsiString& Value);    // short string without value type (max 255 bytes)
  // The class name that starts an object. Its length byte must stay below 0xF0, which the reader
  // takes for a filer-flags prefix there: longer names raise EWriteError.
  static constexpr std::size_t MaxClassNameLength = 0xEF;
  void WriteClassName(const AnsiString& Value);
  void WriteSignature();
  void WritePrefix(TFilerFlags Flags, int AChildPos);
  void Write(const void* Buf, int32_t Count);
  void WriteCollection(TCollection* Value);

  void WriteProperties(TPersistent* Instance);
  void WriteComponent(TComponent* Component);
  // Properties then children of Instance (the default of TComponent::WriteState).
  void WriteData(TComponent* Instance);
  void WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }
  // Writes Root with only what differs from Ancestor (an instance of a class Root inherits
  // from, or nullptr): equal properties are left out and Ancestor's children are "inherited".
  void WriteDescendent(TComponent* Root, TComponent* AAncestor);
  // The ancestor of the root being written.
  TComponent* RootAncestor() const { return root_ancestor_; }
  // The path prefix of the properties being written ("Font." inside Font).
  const AnsiString& PropPath() const { return prop_path_; }

 private:
  void WriteProperty(TPersistent* Instance, const TPropInfo* Prop);
  void WritePropName(const AnsiString& Name);
  AnsiString ComponentRefName(TComponent* C);

  AnsiString prop_path_;
  TComponent* root_ancestor_ = nullptr;
};

// Component references read as names are resolved when the root is read: in the root, then
// through this lookup of other roots (forms) by name, for "Form" and "Form.Component". A name
// that is found nowhere leaves the reference empty.
void SetFindGlobalComponent(std::function<TComponent*(const AnsiString& Name)> Find);

// Text form syntax <-> binary component stream. Text is UTF-8. ObjectTextToBinary raises
// EParserError ("message (n 行)") for malformed text; ObjectBinaryToText raises EReadError for
// malformed streams.
void ObjectTextToBinary(TStream* Input, TStream* Output);
void ObjectBinaryToText(TStream* Input, TStream* Output);
std::vector<uint8_t> ObjectTextToBinary(const std::string& Utf8Text);
std::string ObjectBinaryToText(std::span<const uint8_t> Binary);

// The table of form resources, keyed by upper-cased class name. The bytes are not copied: they
// must live as long as the program (the build's generated arrays do).
void RegisterFormResource(const AnsiString& ClassName, const uint8_t* Data, std::size_t Size);
std::span<const uint8_t> FindFormResource(const AnsiString& ClassName);  // empty when none
// Reads the resource of each class of Instance, from the class below RootAncestorClass (e.g.
// "TForm") down to Instance's own class, onto Instance. Answers whether any resource was found.
bool InitInheritedComponent(TComponent* Instance, const AnsiString& RootAncestorClass);
// Reads one form resource onto Instance (EResNotFound "リソース %s が見つかりません" when none).
void ReadComponentRes(const AnsiString& ResName, TComponent* Instance);
// Streams a root component (signature included) with or without ancestor.
void WriteComponentToStream(TStream* Stream, TComponent* Root, TComponent* Ancestor = nullptr);
void ReadComponentFromStream(TStream* Stream, TComponent* Root);
