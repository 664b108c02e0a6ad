#pragma once

#include <QIODevice>

#include <memory>

class RecordFile;

// A RecordFile as a device to write a QTextStream to: the answers to commands go to standard
// output in order with the trace, and wait as it does for a reader that is slow. Their failure
// is the trace's to tell (without a trace, an answer nobody takes is no error of the run).
class RecordFileDevice final : public QIODevice
{
public:
    explicit RecordFileDevice(std::shared_ptr<RecordFile> file);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    std::shared_ptr<RecordFile> m_file;
};
