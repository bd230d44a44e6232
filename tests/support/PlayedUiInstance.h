#pragma once
// Plays the running UI instance on the real job hand-over pipe: takes every job handed
// to it and records it. Hold PipeTest::FixedPipeLock(kHandOver) while one exists.
#include <mutex>
#include <thread>
#include <vector>

#include "ipc/MultiUICommand.h"
#include "ipc/PipeNames.h"

class PlayedUiInstance : public DesignPatterns::TObserver<Swiftlet::MultiUICommand::ServerCopyFileCommandParam> {
public:
    using Job = Swiftlet::MultiUICommand::ServerCopyFileCommandParam;

    PlayedUiInstance() : m_server(Swiftlet::PipeNames::JobHandOverPipeName()) {
        m_server.Jobs().Attach(this);
        m_thread = std::thread([this] { m_server.Run(); });
    }
    ~PlayedUiInstance() override {
        m_server.RequestStop();
        m_thread.join();
    }
    PlayedUiInstance(const PlayedUiInstance&) = delete;
    PlayedUiInstance& operator=(const PlayedUiInstance&) = delete;

    using DesignPatterns::TObserver<Job>::Update;
    void Update(Job* job) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(*job);
        job->result = 1;
    }
    std::vector<Job> Jobs() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_jobs;
    }

private:
    Swiftlet::MultiUICommand::Server m_server;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<Job> m_jobs;
};
