#include "platform/RecordFileDevice.h"

#include "platform/RecordFile.h"

RecordFileDevice::RecordFileDevice(std::shared_ptr<RecordFile> file) : m_file(std::move(file))
{
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 RecordFileDevice::readData(char* /*data*/, qint64 /*maxSize*/)
{
    return -1;
}

qint64 RecordFileDevice::writeData(const char* data, qint64 size)
{
    m_file->write(QByteArray(data, qsizetype(size)));
    return size;
}
