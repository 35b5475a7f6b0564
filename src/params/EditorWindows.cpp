#include "params/EditorWindows.h"

#include "app/KM40Main.h"
#include "params/EditParam.h"
#include "params/EditSollwerten.h"
#include "params/ParamService.h"

void InstallEditorWindows(TFormMain& Main)
{
    if (!FormParamService)
        new TFormParamService(&Main.ZBComm1, &Main);
    if (!FormEditParam)
        new TFormEditParam(&Main.ZBComm1, &Main);
    if (!FormEditSollwerten)
        new TFormEditSollwerten(&Main.ZBComm1, &Main);
    Main.Windows.ParameterEditor = [] {
        if (FormEditParam)
            FormEditParam->Execute();
    };
    Main.Windows.SetpointEditor = [] {
        if (FormEditSollwerten)
            FormEditSollwerten->Execute();
    };
}
