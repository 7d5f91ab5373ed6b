#include "TXGainContext.h"

CTXGCContext::CTXGCContext() : m_machine(std::make_unique<CTXGCStateMachine>())
{
    CModel& model = GetModel();
    model.SetActiveMachine(m_machine.get());
    DummyLoadAntenna.Load(model.AppKey());
    if (DummyLoadAntenna.Get() != 2 || !IsJW2DInstalled())
        DummyLoadAntenna.Set(1);
}

CTXGCContext::~CTXGCContext()
{
    Unregister();
}

void CTXGCContext::Unregister()
{
    CModel& model = GetModel();
    if (model.ActiveMachine() == m_machine.get())
        model.SetActiveMachine(nullptr);
}

void CTXGCContext::SetAntenna(unsigned char antenna)
{
    DummyLoadAntenna.Set(antenna == 2 ? 2 : 1);
    DummyLoadAntenna.Save(GetModel().AppKey());
}
