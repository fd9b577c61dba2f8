// Tag validation: the host's chosen tags added to a temporary group, so
// that the server tells each one's type and rights, or refuses it.
#include <memory>
#include <new>
#include <vector>

#include "QARMetaClass.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemTreeNode.h"

using vemdcn::ErrorSlot;

namespace {

const WCHAR kValidationGroupName[] = OLESTR("tmpGroupForValidation");

// The temporary group: removed from the server, then released, on every path.
struct TemporaryGroup {
  IOPCServer* server = nullptr;
  OPCHANDLE handle = 0;
  comown::com_ptr<IOPCItemMgt> itemMgt;

  TemporaryGroup() = default;
  TemporaryGroup(const TemporaryGroup&) = delete;
  TemporaryGroup& operator=(const TemporaryGroup&) = delete;
  ~TemporaryGroup() {
    if (!itemMgt) return;
    (void)server->RemoveGroup(handle, TRUE);  // a failed removal is not reported
    itemMgt.reset();
  }
};

// The direction text of granted access rights: only one-way rights have one.
const char* DirectionText(DWORD accessRights) {
  if (accessRights == OPC_READABLE) return "Out";
  if (accessRights == OPC_WRITEABLE) return "In";
  return "";
}

void CompleteNode(VEMDcnOpcItemTreeNode& node, const OPCITEMRESULT& result) {
  node.SetType(VEMDcnOpcItem::GetPelType(result.vtCanonicalDataType));
  node.SetOpcType(VEMDcnOpcItem::GetOpcType(result.vtCanonicalDataType));
  node.SetDirection(DirectionText(result.dwAccessRights));
}

}  // namespace

long VEMDcnOpcClient::ValidateTags(QARListValQARBaseUnknown_var& tags) {
  return vemdcn::Guarded([&]() -> long {
    const int count = tags.Size();
    if (count < 1) return S_FALSE;
    IOPCServer* server = _pOPCServer();
    if (server == nullptr) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }

    ErrorSlot error;
    TemporaryGroup group;
    group.server = server;
    DWORD revisedRate = 0;
    long hr = server->AddGroup(kValidationGroupName, TRUE, 100, 0, nullptr, nullptr, 0, &group.handle, &revisedRate,
                               IID_IOPCItemMgt, reinterpret_cast<IUnknown**>(group.itemMgt.put()));
    if (FAILED(hr) || !group.itemMgt) {
      error.reset(_GetError(hr, "AddGroup()", nullptr));
      return error.Return(FAILED(hr) ? hr : E_POINTER, __LINE__);
    }

    const std::size_t n = static_cast<std::size_t>(count);
    std::unique_ptr<OPCITEMDEF[]> request(new (std::nothrow) OPCITEMDEF[n]());
    if (!request) {
      QARSysLogError(vemdcn::kInvalidNullPointer);
      return E_OUTOFMEMORY;
    }
    // An entry that is not a tree node is asked for under the empty ID.
    std::vector<VEMDcnOpcItemTreeNode*> nodes(n);
    std::vector<comown::wide_string> itemIds(n);
    WCHAR emptyAccessPath[] = OLESTR("");
    for (std::size_t i = 0; i < n; ++i) {
      nodes[i] = QARSysDynamicCast<VEMDcnOpcItemTreeNode>(tags[static_cast<int>(i) + 1].GetPointer());
      if (nodes[i] != nullptr) {
        const QARUnicodeString tag = nodes[i]->GetTag();
        itemIds[i].assign(tag.GetWChar(), static_cast<std::size_t>(tag.GetLengthInChar()));
      }
      OPCITEMDEF& definition = request[i];
      definition.szAccessPath = emptyAccessPath;
      definition.szItemID = itemIds[i].data();
      definition.bActive = TRUE;
      definition.hClient = _NextClientHandle++;
      definition.dwBlobSize = 0;
      definition.pBlob = nullptr;
      definition.vtRequestedDataType = VT_EMPTY;
    }

    comown::task_item_results results(n);
    comown::task_values<HRESULT> errors(n);
    hr = group.itemMgt->AddItems(static_cast<DWORD>(n), request.get(), results.put(), errors.put());
    if (FAILED(hr)) return hr;
    if (!results || !errors) {
      // A success without its answers tells nothing about any tag.
      error.reset(_GetError(E_POINTER, "IOPCItemMgt::AddItems", nullptr));
      return error.Return(E_POINTER, __LINE__);
    }

    QARUnicodeString failures;
    for (std::size_t i = 0; i < n; ++i) {
      if (FAILED(errors[i])) {
        failures += QARUnicodeString("\n");
        failures += QARUnicodeString(itemIds[i].c_str());
      } else if (nodes[i] != nullptr) {
        CompleteNode(*nodes[i], results[i]);
      }
    }
    if (!failures.IsEmpty()) {
      comown::com_ptr<VEMDcnOpcError> refused(
          new (std::nothrow) VEMDcnOpcError(3, "VEMOPCValidateError", VEMDCN_CATALOG), comown::attach);
      if (refused) refused->SetNLSParameters(1, &failures);
      error.reset(refused.detach());
    }
    return error.Return(hr, __LINE__);
  });
}
