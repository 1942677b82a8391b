// Messaging data shapes: property values, tag arrays, rows, restrictions, entry IDs,
// flags and result codes, with the documented values.
#pragma once

#include "platform/base/Guid.h"
#include "platform/base/WinStructs.h"
#include "platform/base/WinTypes.h"

// Variable-length arrays are declared with one element and allocated larger.
constexpr ULONG MAPI_DIM = 1;

using FLAGS = ULONG;
using BOOKMARK = ULONG_PTR;
using LPCIID = const IID*;
using LPGUID = GUID*;
using LPULONG = ULONG*;

// Property tags: the high word is the identifier, the low word the type.
constexpr ULONG PROP_TAG(ULONG ulPropType, ULONG ulPropID) noexcept
{
    return (ulPropID << 16) | ulPropType;
}
constexpr ULONG PROP_TYPE(ULONG ulPropTag) noexcept
{
    return ulPropTag & 0xFFFFu;
}
constexpr ULONG PROP_ID(ULONG ulPropTag) noexcept
{
    return ulPropTag >> 16;
}
constexpr ULONG CHANGE_PROP_TYPE(ULONG ulPropTag, ULONG ulPropType) noexcept
{
    return (ulPropTag & 0xFFFF0000u) | ulPropType;
}

constexpr ULONG PT_UNSPECIFIED = 0x0000;
constexpr ULONG PT_NULL = 0x0001;
constexpr ULONG PT_I2 = 0x0002;
constexpr ULONG PT_SHORT = PT_I2;
constexpr ULONG PT_LONG = 0x0003;
constexpr ULONG PT_I4 = PT_LONG;
constexpr ULONG PT_R4 = 0x0004;
constexpr ULONG PT_FLOAT = PT_R4;
constexpr ULONG PT_DOUBLE = 0x0005;
constexpr ULONG PT_R8 = PT_DOUBLE;
constexpr ULONG PT_CURRENCY = 0x0006;
constexpr ULONG PT_APPTIME = 0x0007;
constexpr ULONG PT_ERROR = 0x000A;
constexpr ULONG PT_BOOLEAN = 0x000B;
constexpr ULONG PT_OBJECT = 0x000D;
constexpr ULONG PT_I8 = 0x0014;
constexpr ULONG PT_LONGLONG = PT_I8;
constexpr ULONG PT_STRING8 = 0x001E;
constexpr ULONG PT_UNICODE = 0x001F;
constexpr ULONG PT_TSTRING = PT_UNICODE;
constexpr ULONG PT_SYSTIME = 0x0040;
constexpr ULONG PT_CLSID = 0x0048;
constexpr ULONG PT_BINARY = 0x0102;
constexpr ULONG MV_FLAG = 0x1000;
constexpr ULONG PT_MV_LONG = MV_FLAG | PT_LONG;
constexpr ULONG PT_MV_STRING8 = MV_FLAG | PT_STRING8;
constexpr ULONG PT_MV_UNICODE = MV_FLAG | PT_UNICODE;
constexpr ULONG PT_MV_BINARY = MV_FLAG | PT_BINARY;
constexpr ULONG PROP_ID_NULL = 0;

struct MAPIUID
{
    BYTE ab[16];
};
using LPMAPIUID = MAPIUID*;

struct ENTRYID
{
    BYTE abFlags[4];
    BYTE ab[MAPI_DIM];
};
using LPENTRYID = ENTRYID*;
constexpr ULONG CbNewENTRYID(ULONG cb) noexcept
{
    return 4 + cb;
}

struct SBinary
{
    ULONG cb;
    LPBYTE lpb;
};
using LPSBinary = SBinary*;

struct CURRENCY
{
    LONGLONG int64;
};

struct SShortArray
{
    ULONG cValues;
    short* lpi;
};
struct SLongArray
{
    ULONG cValues;
    LONG* lpl;
};
struct SBinaryArray
{
    ULONG cValues;
    SBinary* lpbin;
};
struct SLPSTRArray
{
    ULONG cValues;
    LPSTR* lppszA;
};
struct SWStringArray
{
    ULONG cValues;
    LPWSTR* lppszW;
};
using ENTRYLIST = SBinaryArray;
using LPENTRYLIST = ENTRYLIST*;

union _PV
{
    short i;
    LONG l;
    ULONG ul;
    float flt;
    double dbl;
    unsigned short b;
    CURRENCY cur;
    double at;
    FILETIME ft;
    LPSTR lpszA;
    SBinary bin;
    LPWSTR lpszW;
    LPGUID lpguid;
    LARGE_INTEGER li;
    SShortArray MVi;
    SLongArray MVl;
    SBinaryArray MVbin;
    SLPSTRArray MVszA;
    SWStringArray MVszW;
    SCODE err;
    LONG x;
};

struct SPropValue
{
    ULONG ulPropTag;
    ULONG dwAlignPad;
    union _PV Value;
};
using LPSPropValue = SPropValue*;

struct SPropTagArray
{
    ULONG cValues;
    ULONG aulPropTag[MAPI_DIM];
};
using LPSPropTagArray = SPropTagArray*;
constexpr ULONG CbNewSPropTagArray(ULONG c) noexcept
{
    return sizeof(ULONG) * (1 + c);
}
// A tag array of fixed size, laid out like SPropTagArray; hand its address to the calls.
#define SizedSPropTagArray(_ctag, _name)                                                           \
    struct _SPropTagArray_##_name                                                                  \
    {                                                                                              \
        ULONG cValues;                                                                             \
        ULONG aulPropTag[_ctag];                                                                   \
    } _name

struct SPropProblem
{
    ULONG ulIndex;
    ULONG ulPropTag;
    SCODE scode;
};
struct SPropProblemArray
{
    ULONG cProblem;
    SPropProblem aProblem[MAPI_DIM];
};
using LPSPropProblemArray = SPropProblemArray*;

struct SRow
{
    ULONG ulAdrEntryPad;
    ULONG cValues;
    LPSPropValue lpProps;
};
using LPSRow = SRow*;

struct SRowSet
{
    ULONG cRows;
    SRow aRow[MAPI_DIM];
};
using LPSRowSet = SRowSet*;
constexpr size_t CbNewSRowSet(ULONG c) noexcept
{
    return sizeof(ULONG) * 2 + sizeof(SRow) * c;
}

struct SSortOrder
{
    ULONG ulPropTag;
    ULONG ulOrder;
};
struct SSortOrderSet
{
    ULONG cSorts;
    ULONG cCategories;
    ULONG cExpanded;
    SSortOrder aSort[MAPI_DIM];
};
using LPSSortOrderSet = SSortOrderSet*;
constexpr ULONG TABLE_SORT_ASCEND = 0;
constexpr ULONG TABLE_SORT_DESCEND = 1;

struct SRestriction;
using LPSRestriction = SRestriction*;

struct SAndRestriction
{
    ULONG cRes;
    LPSRestriction lpRes;
};
struct SOrRestriction
{
    ULONG cRes;
    LPSRestriction lpRes;
};
struct SNotRestriction
{
    ULONG ulReserved;
    LPSRestriction lpRes;
};
struct SContentRestriction
{
    ULONG ulFuzzyLevel;
    ULONG ulPropTag;
    LPSPropValue lpProp;
};
struct SBitMaskRestriction
{
    ULONG relBMR;
    ULONG ulPropTag;
    ULONG ulMask;
};
struct SPropertyRestriction
{
    ULONG relop;
    ULONG ulPropTag;
    LPSPropValue lpProp;
};
struct SComparePropsRestriction
{
    ULONG relop;
    ULONG ulPropTag1;
    ULONG ulPropTag2;
};
struct SSizeRestriction
{
    ULONG relop;
    ULONG ulPropTag;
    ULONG cb;
};
struct SExistRestriction
{
    ULONG ulReserved1;
    ULONG ulPropTag;
    ULONG ulReserved2;
};
struct SSubRestriction
{
    ULONG ulSubObject;
    LPSRestriction lpRes;
};
struct SCommentRestriction
{
    ULONG cValues;
    LPSRestriction lpRes;
    LPSPropValue lpProp;
};

struct SRestriction
{
    ULONG rt;
    union
    {
        SComparePropsRestriction resCompareProps;
        SAndRestriction resAnd;
        SOrRestriction resOr;
        SNotRestriction resNot;
        SContentRestriction resContent;
        SPropertyRestriction resProperty;
        SBitMaskRestriction resBitMask;
        SSizeRestriction resSize;
        SExistRestriction resExist;
        SSubRestriction resSub;
        SCommentRestriction resComment;
    } res;
};

constexpr ULONG RES_AND = 0x0;
constexpr ULONG RES_OR = 0x1;
constexpr ULONG RES_NOT = 0x2;
constexpr ULONG RES_CONTENT = 0x3;
constexpr ULONG RES_PROPERTY = 0x4;
constexpr ULONG RES_COMPAREPROPS = 0x5;
constexpr ULONG RES_BITMASK = 0x6;
constexpr ULONG RES_SIZE = 0x7;
constexpr ULONG RES_EXIST = 0x8;
constexpr ULONG RES_SUBRESTRICTION = 0x9;
constexpr ULONG RES_COMMENT = 0xA;

constexpr ULONG RELOP_LT = 0;
constexpr ULONG RELOP_LE = 1;
constexpr ULONG RELOP_GT = 2;
constexpr ULONG RELOP_GE = 3;
constexpr ULONG RELOP_EQ = 4;
constexpr ULONG RELOP_NE = 5;
constexpr ULONG RELOP_RE = 6;

struct MAPIERROR
{
    ULONG ulVersion;
    LPTSTR lpszError;
    LPTSTR lpszComponent;
    ULONG ulLowLevelError;
    ULONG ulContext;
};
using LPMAPIERROR = MAPIERROR*;

struct MAPINAMEID
{
    LPGUID lpguid;
    ULONG ulKind;
    union
    {
        LONG lID;
        LPWSTR lpwstrName;
    } Kind;
};
using LPMAPINAMEID = MAPINAMEID*;

struct MAPIINIT_0
{
    ULONG ulVersion;
    ULONG ulFlags;
};
using LPMAPIINIT_0 = MAPIINIT_0*;
constexpr ULONG MAPI_INIT_VERSION = 0;

// ---- flags -------------------------------------------------------------------------------

constexpr ULONG MAPI_UNICODE = 0x80000000;
constexpr ULONG MAPI_MODIFY = 0x00000001;
constexpr ULONG MAPI_CREATE = 0x00000002;
constexpr ULONG MAPI_ACCESS_MODIFY = 0x00000001;
constexpr ULONG MAPI_BEST_ACCESS = 0x00000010;
constexpr ULONG MAPI_DEFERRED_ERRORS = 0x00000008;
constexpr ULONG MAPI_FORCE_ACCESS = 0x00080000;
constexpr ULONG MAPI_NO_CACHE = 0x00000200;

// MAPILogonEx
constexpr ULONG MAPI_LOGON_UI = 0x00000001;
constexpr ULONG MAPI_NEW_SESSION = 0x00000002;
constexpr ULONG MAPI_ALLOW_OTHERS = 0x00000008;
constexpr ULONG MAPI_EXPLICIT_PROFILE = 0x00000010;
constexpr ULONG MAPI_EXTENDED = 0x00000020;
constexpr ULONG MAPI_FORCE_DOWNLOAD = 0x00001000;
constexpr ULONG MAPI_SERVICE_UI_ALWAYS = 0x00002000;
constexpr ULONG MAPI_NO_MAIL = 0x00008000;
constexpr ULONG MAPI_NT_SERVICE = 0x00010000;
constexpr ULONG MAPI_PASSWORD_UI = 0x00020000;
constexpr ULONG MAPI_TIMEOUT_SHORT = 0x00100000;
constexpr ULONG MAPI_USE_DEFAULT = 0x00000040;

// IMAPISession::Logoff
constexpr ULONG MAPI_LOGOFF_SHARED = 0x00000001;
constexpr ULONG MAPI_LOGOFF_UI = 0x00000002;

// MAPIInitialize
constexpr ULONG MAPI_MULTITHREAD_NOTIFICATIONS = 0x00000001;
constexpr ULONG MAPI_NO_COINIT = 0x00000008;

// Service configuration
constexpr ULONG SERVICE_UI_ALWAYS = 0x00000002;
constexpr ULONG SERVICE_UI_ALLOWED = 0x00000010;
constexpr ULONG MSG_SERVICE_UI_READ_ONLY = 0x00000008;

// OpenMsgStore
constexpr ULONG MDB_NO_DIALOG = 0x00000001;
constexpr ULONG MDB_WRITE = 0x00000004;
constexpr ULONG MDB_TEMPORARY = 0x00000020;
constexpr ULONG MDB_NO_MAIL = 0x00000080;
constexpr ULONG MDB_ONLINE = 0x00000100;

// CreateStoreEntryID
constexpr ULONG OPENSTORE_USE_ADMIN_PRIVILEGE = 0x00000001;
constexpr ULONG OPENSTORE_PUBLIC = 0x00000002;
constexpr ULONG OPENSTORE_HOME_LOGON = 0x00000004;
constexpr ULONG OPENSTORE_TAKE_OWNERSHIP = 0x00000008;
constexpr ULONG OPENSTORE_OVERRIDE_HOME_MDB = 0x00000010;

// StoreLogoff
constexpr ULONG LOGOFF_NO_WAIT = 0x00000001;
constexpr ULONG LOGOFF_ORDERLY = 0x00000002;
constexpr ULONG LOGOFF_PURGE = 0x00000004;
constexpr ULONG LOGOFF_ABORT = 0x00000008;
constexpr ULONG LOGOFF_QUIET = 0x00000010;
constexpr ULONG LOGOFF_COMPLETE = 0x00010000;
constexpr ULONG LOGOFF_INBOUND = 0x00020000;
constexpr ULONG LOGOFF_OUTBOUND = 0x00040000;
constexpr ULONG LOGOFF_OUTBOUND_QUEUE = 0x00080000;

// Tables
constexpr ULONG TBL_ASYNC = 0x00000001;
constexpr ULONG TBL_BATCH = 0x00000002;
constexpr ULONG TBL_NOADVANCE = 0x00000001;
constexpr BOOKMARK BOOKMARK_BEGINNING = 0;
constexpr BOOKMARK BOOKMARK_CURRENT = 1;
constexpr BOOKMARK BOOKMARK_END = 2;
constexpr ULONG TBLSTAT_COMPLETE = 0;
constexpr ULONG TBLTYPE_SNAPSHOT = 0;
constexpr ULONG TBLTYPE_KEYSET = 1;
constexpr ULONG TBLTYPE_DYNAMIC = 2;

// SaveChanges
constexpr ULONG KEEP_OPEN_READONLY = 0x00000001;
constexpr ULONG KEEP_OPEN_READWRITE = 0x00000002;
constexpr ULONG FORCE_SAVE = 0x00000004;

// Hierarchy tables and folders
constexpr ULONG CONVENIENT_DEPTH = 0x00000001;
constexpr ULONG SHOW_SOFT_DELETES = 0x00000002;
constexpr ULONG FOLDER_ROOT = 0;
constexpr ULONG FOLDER_GENERIC = 1;
constexpr ULONG FOLDER_SEARCH = 2;
constexpr ULONG AB_RECIPIENTS = 0x00000001;
constexpr ULONG AB_SUBCONTAINERS = 0x00000002;
constexpr ULONG AB_MODIFIABLE = 0x00000004;
constexpr ULONG AB_UNMODIFIABLE = 0x00000008;

// Object types
constexpr ULONG MAPI_STORE = 0x00000001;
constexpr ULONG MAPI_ADDRBOOK = 0x00000002;
constexpr ULONG MAPI_FOLDER = 0x00000003;
constexpr ULONG MAPI_ABCONT = 0x00000004;
constexpr ULONG MAPI_MESSAGE = 0x00000005;
constexpr ULONG MAPI_MAILUSER = 0x00000006;
constexpr ULONG MAPI_ATTACH = 0x00000007;
constexpr ULONG MAPI_DISTLIST = 0x00000008;
constexpr ULONG MAPI_PROFSECT = 0x00000009;
constexpr ULONG MAPI_STATUS = 0x0000000A;
constexpr ULONG MAPI_SESSION = 0x0000000B;

// ---- result codes ------------------------------------------------------------------------

constexpr SCODE MAKE_MAPI_E(ULONG code) noexcept
{
    return static_cast<SCODE>(0x80040000u | code);
}
constexpr SCODE MAKE_MAPI_S(ULONG code) noexcept
{
    return static_cast<SCODE>(0x00040000u | code);
}

constexpr SCODE SUCCESS_SUCCESS = 0;
constexpr SCODE MAPI_E_CALL_FAILED = E_FAIL;
constexpr SCODE MAPI_E_NOT_ENOUGH_MEMORY = E_OUTOFMEMORY;
constexpr SCODE MAPI_E_INVALID_PARAMETER = E_INVALIDARG;
constexpr SCODE MAPI_E_INTERFACE_NOT_SUPPORTED = E_NOINTERFACE;
constexpr SCODE MAPI_E_NO_ACCESS = E_ACCESSDENIED;

constexpr SCODE MAPI_E_NO_SUPPORT = MAKE_MAPI_E(0x102);
constexpr SCODE MAPI_E_BAD_CHARWIDTH = MAKE_MAPI_E(0x103);
constexpr SCODE MAPI_E_STRING_TOO_LONG = MAKE_MAPI_E(0x105);
constexpr SCODE MAPI_E_UNKNOWN_FLAGS = MAKE_MAPI_E(0x106);
constexpr SCODE MAPI_E_INVALID_ENTRYID = MAKE_MAPI_E(0x107);
constexpr SCODE MAPI_E_INVALID_OBJECT = MAKE_MAPI_E(0x108);
constexpr SCODE MAPI_E_OBJECT_CHANGED = MAKE_MAPI_E(0x109);
constexpr SCODE MAPI_E_OBJECT_DELETED = MAKE_MAPI_E(0x10A);
constexpr SCODE MAPI_E_BUSY = MAKE_MAPI_E(0x10B);
constexpr SCODE MAPI_E_NOT_ENOUGH_DISK = MAKE_MAPI_E(0x10D);
constexpr SCODE MAPI_E_NOT_ENOUGH_RESOURCES = MAKE_MAPI_E(0x10E);
constexpr SCODE MAPI_E_NOT_FOUND = MAKE_MAPI_E(0x10F);
constexpr SCODE MAPI_E_VERSION = MAKE_MAPI_E(0x110);
constexpr SCODE MAPI_E_LOGON_FAILED = MAKE_MAPI_E(0x111);
constexpr SCODE MAPI_E_SESSION_LIMIT = MAKE_MAPI_E(0x112);
constexpr SCODE MAPI_E_USER_CANCEL = MAKE_MAPI_E(0x113);
constexpr SCODE MAPI_E_UNABLE_TO_ABORT = MAKE_MAPI_E(0x114);
constexpr SCODE MAPI_E_NETWORK_ERROR = MAKE_MAPI_E(0x115);
constexpr SCODE MAPI_E_DISK_ERROR = MAKE_MAPI_E(0x116);
constexpr SCODE MAPI_E_TOO_COMPLEX = MAKE_MAPI_E(0x117);
constexpr SCODE MAPI_E_BAD_COLUMN = MAKE_MAPI_E(0x118);
constexpr SCODE MAPI_E_EXTENDED_ERROR = MAKE_MAPI_E(0x119);
constexpr SCODE MAPI_E_COMPUTED = MAKE_MAPI_E(0x11A);
constexpr SCODE MAPI_E_CORRUPT_DATA = MAKE_MAPI_E(0x11B);
constexpr SCODE MAPI_E_UNCONFIGURED = MAKE_MAPI_E(0x11C);
constexpr SCODE MAPI_E_FAILONEPROVIDER = MAKE_MAPI_E(0x11D);
constexpr SCODE MAPI_E_UNKNOWN_CPID = MAKE_MAPI_E(0x11E);
constexpr SCODE MAPI_E_UNKNOWN_LCID = MAKE_MAPI_E(0x11F);
constexpr SCODE MAPI_E_PASSWORD_CHANGE_REQUIRED = MAKE_MAPI_E(0x120);
constexpr SCODE MAPI_E_PASSWORD_EXPIRED = MAKE_MAPI_E(0x121);
constexpr SCODE MAPI_E_INVALID_WORKSTATION_ACCOUNT = MAKE_MAPI_E(0x122);
constexpr SCODE MAPI_E_INVALID_ACCESS_TIME = MAKE_MAPI_E(0x123);
constexpr SCODE MAPI_E_ACCOUNT_DISABLED = MAKE_MAPI_E(0x124);
constexpr SCODE MAPI_E_END_OF_SESSION = MAKE_MAPI_E(0x200);
constexpr SCODE MAPI_E_UNKNOWN_ENTRYID = MAKE_MAPI_E(0x201);
constexpr SCODE MAPI_E_MISSING_REQUIRED_COLUMN = MAKE_MAPI_E(0x202);
constexpr SCODE MAPI_W_NO_SERVICE = MAKE_MAPI_S(0x203);
constexpr SCODE MAPI_E_BAD_VALUE = MAKE_MAPI_E(0x301);
constexpr SCODE MAPI_E_INVALID_TYPE = MAKE_MAPI_E(0x302);
constexpr SCODE MAPI_E_TYPE_NO_SUPPORT = MAKE_MAPI_E(0x303);
constexpr SCODE MAPI_E_UNEXPECTED_TYPE = MAKE_MAPI_E(0x304);
constexpr SCODE MAPI_E_TOO_BIG = MAKE_MAPI_E(0x305);
constexpr SCODE MAPI_E_DECLINE_COPY = MAKE_MAPI_E(0x306);
constexpr SCODE MAPI_E_UNEXPECTED_ID = MAKE_MAPI_E(0x307);
constexpr SCODE MAPI_W_ERRORS_RETURNED = MAKE_MAPI_S(0x380);
constexpr SCODE MAPI_E_UNABLE_TO_COMPLETE = MAKE_MAPI_E(0x400);
constexpr SCODE MAPI_E_TIMEOUT = MAKE_MAPI_E(0x401);
constexpr SCODE MAPI_E_TABLE_EMPTY = MAKE_MAPI_E(0x402);
constexpr SCODE MAPI_E_TABLE_TOO_BIG = MAKE_MAPI_E(0x403);
constexpr SCODE MAPI_E_INVALID_BOOKMARK = MAKE_MAPI_E(0x405);
constexpr SCODE MAPI_W_POSITION_CHANGED = MAKE_MAPI_S(0x481);
constexpr SCODE MAPI_W_APPROX_COUNT = MAKE_MAPI_S(0x482);
constexpr SCODE MAPI_E_WAIT = MAKE_MAPI_E(0x500);
constexpr SCODE MAPI_E_CANCEL = MAKE_MAPI_E(0x501);
constexpr SCODE MAPI_E_NOT_ME = MAKE_MAPI_E(0x502);
constexpr SCODE MAPI_W_CANCEL_MESSAGE = MAKE_MAPI_S(0x580);
constexpr SCODE MAPI_E_CORRUPT_STORE = MAKE_MAPI_E(0x600);
constexpr SCODE MAPI_E_NOT_IN_QUEUE = MAKE_MAPI_E(0x601);
constexpr SCODE MAPI_E_NO_SUPPRESS = MAKE_MAPI_E(0x602);
constexpr SCODE MAPI_E_COLLISION = MAKE_MAPI_E(0x604);
constexpr SCODE MAPI_E_NOT_INITIALIZED = MAKE_MAPI_E(0x605);
constexpr SCODE MAPI_E_NON_STANDARD = MAKE_MAPI_E(0x606);
constexpr SCODE MAPI_E_NO_RECIPIENTS = MAKE_MAPI_E(0x607);
constexpr SCODE MAPI_E_SUBMITTED = MAKE_MAPI_E(0x608);
constexpr SCODE MAPI_E_HAS_FOLDERS = MAKE_MAPI_E(0x609);
constexpr SCODE MAPI_E_HAS_MESSAGES = MAKE_MAPI_E(0x60A);
constexpr SCODE MAPI_E_FOLDER_CYCLE = MAKE_MAPI_E(0x60B);
constexpr SCODE MAPI_W_PARTIAL_COMPLETION = MAKE_MAPI_S(0x680);
constexpr SCODE MAPI_E_AMBIGUOUS_RECIP = MAKE_MAPI_E(0x700);

// ---- property tags -----------------------------------------------------------------------

constexpr ULONG PR_NULL = PROP_TAG(PT_NULL, PROP_ID_NULL);
constexpr ULONG PR_BODY_A = PROP_TAG(PT_STRING8, 0x1000);
constexpr ULONG PR_BODY_W = PROP_TAG(PT_UNICODE, 0x1000);
constexpr ULONG PR_BODY = PR_BODY_W;
constexpr ULONG PR_ROW_TYPE = PROP_TAG(PT_LONG, 0x0FF5);
constexpr ULONG PR_INSTANCE_KEY = PROP_TAG(PT_BINARY, 0x0FF6);
constexpr ULONG PR_ACCESS_LEVEL = PROP_TAG(PT_LONG, 0x0FF7);
constexpr ULONG PR_RECORD_KEY = PROP_TAG(PT_BINARY, 0x0FF9);
constexpr ULONG PR_STORE_ENTRYID = PROP_TAG(PT_BINARY, 0x0FFB);
constexpr ULONG PR_OBJECT_TYPE = PROP_TAG(PT_LONG, 0x0FFE);
constexpr ULONG PR_ENTRYID = PROP_TAG(PT_BINARY, 0x0FFF);
constexpr ULONG PR_DISPLAY_NAME_A = PROP_TAG(PT_STRING8, 0x3001);
constexpr ULONG PR_DISPLAY_NAME_W = PROP_TAG(PT_UNICODE, 0x3001);
constexpr ULONG PR_DISPLAY_NAME = PR_DISPLAY_NAME_W;
constexpr ULONG PR_EMAIL_ADDRESS_A = PROP_TAG(PT_STRING8, 0x3003);
constexpr ULONG PR_EMAIL_ADDRESS_W = PROP_TAG(PT_UNICODE, 0x3003);
constexpr ULONG PR_DEPTH = PROP_TAG(PT_LONG, 0x3005);
constexpr ULONG PR_PROVIDER_DISPLAY_A = PROP_TAG(PT_STRING8, 0x3006);
constexpr ULONG PR_PROVIDER_DISPLAY_W = PROP_TAG(PT_UNICODE, 0x3006);
constexpr ULONG PR_RESOURCE_FLAGS = PROP_TAG(PT_LONG, 0x3009);
constexpr ULONG PR_PROVIDER_DLL_NAME_A = PROP_TAG(PT_STRING8, 0x300A);
constexpr ULONG PR_DEFAULT_STORE = PROP_TAG(PT_BOOLEAN, 0x3400);
constexpr ULONG PR_STORE_SUPPORT_MASK = PROP_TAG(PT_LONG, 0x340D);
constexpr ULONG PR_MDB_PROVIDER = PROP_TAG(PT_BINARY, 0x3414);
constexpr ULONG PR_CONTAINER_FLAGS = PROP_TAG(PT_LONG, 0x3600);
constexpr ULONG PR_FOLDER_TYPE = PROP_TAG(PT_LONG, 0x3601);
constexpr ULONG PR_CONTENT_COUNT = PROP_TAG(PT_LONG, 0x3602);
constexpr ULONG PR_SUBFOLDERS = PROP_TAG(PT_BOOLEAN, 0x360A);
constexpr ULONG PR_DEFAULT_PROFILE = PROP_TAG(PT_BOOLEAN, 0x3D04);
constexpr ULONG PR_SERVICE_NAME_A = PROP_TAG(PT_STRING8, 0x3D09);
constexpr ULONG PR_SERVICE_NAME_W = PROP_TAG(PT_UNICODE, 0x3D09);
constexpr ULONG PR_SERVICE_DLL_NAME_A = PROP_TAG(PT_STRING8, 0x3D0A);
constexpr ULONG PR_SERVICE_ENTRY_NAME = PROP_TAG(PT_STRING8, 0x3D0B);
constexpr ULONG PR_SERVICE_UID = PROP_TAG(PT_BINARY, 0x3D0C);
constexpr ULONG PR_SERVICES = PROP_TAG(PT_BINARY, 0x3D0F);
constexpr ULONG PR_PROFILE_NAME_A = PROP_TAG(PT_STRING8, 0x3D12);
constexpr ULONG PR_PROFILE_NAME_W = PROP_TAG(PT_UNICODE, 0x3D12);
constexpr ULONG PR_PROFILE_HOME_SERVER = PROP_TAG(PT_STRING8, 0x6602);
constexpr ULONG PR_PROFILE_USER = PROP_TAG(PT_STRING8, 0x6603);
constexpr ULONG PR_PROFILE_UNRESOLVED_NAME = PROP_TAG(PT_STRING8, 0x6607);
constexpr ULONG PR_PROFILE_UNRESOLVED_SERVER = PROP_TAG(PT_STRING8, 0x6608);
constexpr ULONG PR_OST_OSTID = PROP_TAG(PT_BINARY, 0x7C04);
