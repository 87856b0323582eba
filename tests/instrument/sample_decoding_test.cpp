// Cutting received bytes into frames and decoding them: the documented vectors, awkward splits,
// the end-of-run frame, each method's time or potential axis, extremes, and random input.
#include "instrument/parameter_frames.h"
#include "instrument/sample_decoding.h"
#include "support/frame_codec.h"
#include "support/method_rows.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <vector>

namespace {

run_decoding_context context_for(method_index m, uint8_t channel_code = 1, uint8_t lead_time_s = 0,
                                 float chrono_offset_ms = 0)
{
    run_decoding_context ctx;
    ctx.method = m;
    ctx.channel_code = channel_code;
    ctx.lead_time_s = lead_time_s;
    ctx.chrono_step_offset_ms = chrono_offset_ms;
    return ctx;
}

raw_frame_fields blocks_of(int16_t a_word, int16_t b_word, int range_number, bool we1 = true)
{
    raw_frame_fields f;
    f.block_a.fill(a_word);
    f.block_b.fill(b_word);
    f.range_byte = uint8_t((range_number << 4) | (we1 ? 0x02 : 0));
    return f;
}

// Frames as the simulated instrument encodes them, from physical values.
QByteArray time_frame(uint16_t index, bool we1, float current = 1.0f, int range_number = 3)
{
    return encode_sample_frame({sample_frame_type::time_indexed, uint8_t(we1 ? 1 : 2), range_number, 0, index, 4, 1, current});
}

QByteArray potential_frame(double volts, float current, int range_number = 3, bool we1 = true)
{
    return encode_sample_frame({sample_frame_type::potential, uint8_t(we1 ? 1 : 2), range_number, volts, 0, 4, 1, current});
}

decoded_sample decode_one(const QByteArray &frame, run_decoding_context &ctx)
{
    const frame_result r = decode_frame(frame, ctx);
    if (r.outcome != frame_outcome::sample)
        qFatal("frame did not decode to a sample");
    return r.sample;
}

float current_of(const raw_frame_fields &f, int electrode = 0)
{
    return frame_current(encode_raw_frame(f).constData(), electrode);
}

bool near(double a, double b, double tolerance) { return std::abs(a - b) <= tolerance; }

// Bytes written out in hex, two digits a byte, 16-bit fields low byte first. "e803*14" repeats a group
// fourteen times; blanks and '|' only separate the fields of the frame layout.
QByteArray hex_bytes(const char *pattern)
{
    QByteArray out;
    for (QByteArray group : QByteArray(pattern).replace('|', ' ').simplified().split(' ')) {
        const int star = group.indexOf('*');
        const QByteArray bytes = QByteArray::fromHex(star < 0 ? group : group.left(star));
        for (int i = 0, times = star < 0 ? 1 : group.mid(star + 1).toInt(); i < times; ++i)
            out += bytes;
    }
    return out;
}

// Feeds a stream to the decoder in pieces of the given sizes, as reads from the port would.
decoded_batch feed_in_pieces(const QByteArray &stream, const QVector<int> &pieces, run_decoding_context &ctx)
{
    decoded_batch all;
    QByteArray rx;
    for (int at = 0, piece = 0; at < stream.size() && !all.end_of_run;) {
        const int n = pieces.isEmpty() ? stream.size() : pieces[piece++ % pieces.size()];
        rx.append(stream.mid(at, n));
        at += n;
        decoded_batch b = decode_received(rx, ctx);
        all.samples.insert(all.samples.end(), b.samples.begin(), b.samples.end());
        all.dropped_frames += b.dropped_frames;
        all.end_of_run = b.end_of_run;
    }
    return all;
}

}  // namespace

class test_sample_decoding : public QObject {
    Q_OBJECT

private slots:
    // Whole frames written byte by byte from the frame layout: bytes 0-3 block A words 0 and 1, 4-5 P1,
    // 6 kind, 7 range number (high nibble) and electrode (bit 1), 8-35 block A words 2-15, 36-37 P2,
    // 38-69 block B, 70-71 unused (filled here so that reading them shows). Every range number 1..7 and
    // every kind of frame; the expected values are worked out by hand:
    //   potential and pulse half 1: A = 256, 256, then 14 x 1000; B = 16 x 250
    //     D = (2*256 + 14*1000)/4 - 16*250/4 = 3628 - 1000 = 2628
    //   time-indexed: A = -256, -256, then 14 x -1000; B = 16 x 500:  D = -3628 - 2000 = -5628
    //   pulse half 2: A = 16 x 100, B = 0:  D = 400
    //   I = D / gain x -4500 x 2^-17 (gains 2.75, 3.5, 7, 14, 35, 120, 350), then truncated to whole steps
    //   (0.11743, 0.05871, 0.02936, 0.01174, 0.003425, 0.00117 for range numbers 2..7). For D = 2628:
    //   range 1: 2628 / 2.75 x -0.034332275 = -32.80917; range 2: -25.7780 -> -219 steps = -25.71717;
    //   ranges 3..6 also give -219 steps, range 7 -220. For D = -5628: 70.26257, then +470 steps (+471 at
    //   range 7). For D = 400: -4.99379, then -33 steps at every quantised range.
    //   x: potential (P2 - P1) x 0.736 / 1000 with P1 = 1500, P2 = 500: -0.736 V; pulse (P1 of half 1 -
    //   P1 of half 2) = +0.736 V; time-indexed (index 9 + 1) x 3.32643125 ms with both electrodes recorded.
    void literal_frames_decode_as_laid_out_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("current");
        QTest::addColumn<int>("electrode");
        const auto sample = int(frame_outcome::sample);
        const int cyclic = int(method_index::cyclic), ampero = int(method_index::amperometry);
        const int swv = int(method_index::square_wave), dpv = int(method_index::differential_pulse);

        // Potential frames: any kind but 1, 2, 4 and 6.
        QTest::newRow("potential r1 kind 00 WE1")
            << cyclic << hex_bytes("0001 0001 | dc05 | 00 | 12 | e803*14 | f401 | fa00*16 | 5aa5") << sample
            << -0.736 << -32.80917 << 1;
        QTest::newRow("potential r2 kind 03 WE2")
            << cyclic << hex_bytes("0001 0001 | dc05 | 03 | 20 | e803*14 | f401 | fa00*16 | 5aa5") << sample
            << -0.736 << -25.71717 << 2;
        QTest::newRow("potential r3 kind 05 WE1")
            << cyclic << hex_bytes("0001 0001 | dc05 | 05 | 32 | e803*14 | f401 | fa00*16 | 5aa5") << sample
            << -0.736 << -12.85749 << 1;
        QTest::newRow("potential r4 kind 07 WE2")
            << cyclic << hex_bytes("0001 0001 | dc05 | 07 | 40 | e803*14 | f401 | fa00*16 | 5aa5") << sample
            << -0.736 << -6.42984 << 2;
        QTest::newRow("potential r5 kind 08 WE1")
            << cyclic << hex_bytes("0001 0001 | dc05 | 08 | 52 | e803*14 | f401 | fa00*16 | 5aa5") << sample
            << -0.736 << -2.57106 << 1;
        QTest::newRow("potential r6 kind 10 WE2")
            << cyclic << hex_bytes("0001 0001 | dc05 | 10 | 60 | e803*14 | f401 | fa00*16 | 5aa5") << sample
            << -0.736 << -0.750075 << 2;
        QTest::newRow("potential r7 kind ff WE1")
            << cyclic << hex_bytes("0001 0001 | dc05 | ff | 72 | e803*14 | f401 | fa00*16 | 5aa5") << sample
            << -0.736 << -0.2574 << 1;

        // Time-indexed frames, kinds 4 and 6: P1 is the sample index, P2 means nothing.
        QTest::newRow("time r1 kind 04 WE1")
            << ampero << hex_bytes("00ff 00ff | 0900 | 04 | 12 | 18fc*14 | 3412 | f401*16 | 5aa5") << sample
            << 33.2643125 << 70.26257 << 1;
        QTest::newRow("time r2 kind 06 WE2")
            << ampero << hex_bytes("00ff 00ff | 0900 | 06 | 20 | 18fc*14 | 3412 | f401*16 | 5aa5") << sample
            << 33.2643125 << 55.1921 << 2;
        QTest::newRow("time r3 kind 04 WE1")
            << ampero << hex_bytes("00ff 00ff | 0900 | 04 | 32 | 18fc*14 | 3412 | f401*16 | 5aa5") << sample
            << 33.2643125 << 27.5937 << 1;
        QTest::newRow("time r4 kind 06 WE2")
            << ampero << hex_bytes("00ff 00ff | 0900 | 06 | 40 | 18fc*14 | 3412 | f401*16 | 5aa5") << sample
            << 33.2643125 << 13.7992 << 2;
        QTest::newRow("time r5 kind 04 WE1")
            << ampero << hex_bytes("00ff 00ff | 0900 | 04 | 52 | 18fc*14 | 3412 | f401*16 | 5aa5") << sample
            << 33.2643125 << 5.5178 << 1;
        QTest::newRow("time r6 kind 06 WE2")
            << ampero << hex_bytes("00ff 00ff | 0900 | 06 | 60 | 18fc*14 | 3412 | f401*16 | 5aa5") << sample
            << 33.2643125 << 1.60975 << 2;
        QTest::newRow("time r7 kind 04 WE1")
            << ampero << hex_bytes("00ff 00ff | 0900 | 04 | 72 | 18fc*14 | 3412 | f401*16 | 5aa5") << sample
            << 33.2643125 << 0.55107 << 1;

        // Pulse frames, 144 bytes, kinds 1 and 2: byte 7 of half 1 rules the whole frame (half 2 says
        // range 0, which has no gain). Square wave plots I1 - I2, differential pulse I2 - I1.
        const char *half2 = "| 6400 6400 | f401 | 01 | 00 | 6400*14 | 0000 | 0000*16 | 0000";
        const auto pulse = [&](const char *half1) { return hex_bytes(half1) + hex_bytes(half2); };
        QTest::newRow("pulse r1 kind 01 WE1 square wave")
            << swv << pulse("0001 0001 | dc05 | 01 | 12 | e803*14 | 0000 | fa00*16 | 5aa5") << sample
            << 0.736 << -27.81538 << 1;
        QTest::newRow("pulse r2 kind 02 WE2 differential")
            << dpv << pulse("0001 0001 | dc05 | 02 | 20 | e803*14 | 0000 | fa00*16 | 5aa5") << sample
            << 0.736 << 21.84198 << 2;
        QTest::newRow("pulse r3 kind 01 WE1 square wave")
            << swv << pulse("0001 0001 | dc05 | 01 | 32 | e803*14 | 0000 | fa00*16 | 5aa5") << sample
            << 0.736 << -10.92006 << 1;
        QTest::newRow("pulse r4 kind 02 WE2 differential")
            << dpv << pulse("0001 0001 | dc05 | 02 | 40 | e803*14 | 0000 | fa00*16 | 5aa5") << sample
            << 0.736 << 5.46096 << 2;
        QTest::newRow("pulse r5 kind 01 WE1 square wave")
            << swv << pulse("0001 0001 | dc05 | 01 | 52 | e803*14 | 0000 | fa00*16 | 5aa5") << sample
            << 0.736 << -2.18364 << 1;
        QTest::newRow("pulse r6 kind 02 WE2 differential")
            << dpv << pulse("0001 0001 | dc05 | 02 | 60 | e803*14 | 0000 | fa00*16 | 5aa5") << sample
            << 0.736 << 0.63705 << 2;
        QTest::newRow("pulse r7 kind 01 WE1 square wave")
            << swv << pulse("0001 0001 | dc05 | 01 | 72 | e803*14 | 0000 | fa00*16 | 5aa5") << sample
            << 0.736 << -0.21879 << 1;

        // Bytes 4 and 5 both 0xFF end the run, in either frame size.
        const auto end = int(frame_outcome::end_of_run);
        QTest::newRow("end of run, 72 bytes")
            << cyclic << hex_bytes("0001 0001 | ffff | 00 | 32 | e803*14 | f401 | fa00*16 | 5aa5") << end << 0.0 << 0.0
            << 0;
        QTest::newRow("end of run, 144 bytes")
            << dpv << pulse("0001 0001 | ffff | 01 | 32 | e803*14 | 0000 | fa00*16 | 5aa5") << end << 0.0 << 0.0 << 0;
    }

    void literal_frames_decode_as_laid_out()
    {
        QFETCH(int, method);
        QFETCH(QByteArray, frame);
        QFETCH(int, outcome);
        QCOMPARE(frame.size(), frame_size_for(method_index(method)));
        run_decoding_context ctx = context_for(method_index(method), 3);
        const frame_result r = decode_frame(frame, ctx);
        QCOMPARE(int(r.outcome), outcome);
        if (r.outcome != frame_outcome::sample)
            return;
        QFETCH(double, x);
        QFETCH(double, current);
        QFETCH(int, electrode);
        QVERIFY2(near(r.sample.x, x, 1e-6), qPrintable(QString::number(r.sample.x, 'g', 10)));
        QVERIFY2(near(r.sample.current_uA, current, 1e-4 + 1e-6 * std::abs(current)),
                 qPrintable(QString::number(r.sample.current_uA, 'g', 10)));
        QCOMPARE(int(r.sample.electrode), electrode);
    }

    void current_vectors()
    {
        raw_frame_fields q = blocks_of(0, 0, 1);
        q.block_a[0] = -3;     // sumA = -3: -3 / 4 is 0, not -1
        QCOMPARE(current_of(q), 0.0f);
        q.block_a[0] = -4;
        QVERIFY(current_of(q) > 0.0f);

        // Sums of sixteen words do not overflow 16 bits.
        const int32_t d = (16 * 32767) / 4 - (16 * -32768) / 4;
        QCOMPARE(current_of(blocks_of(32767, -32768, 1)), float(d / 2.75 * -0.034332275390625));
    }

    void time_axis_follows_the_recorded_electrodes()
    {
        run_decoding_context one = context_for(method_index::amperometry, 1);
        QVERIFY(near(decode_one(time_frame(0, true), one).x, 1.3978125, 1e-12));
        run_decoding_context both = context_for(method_index::amperometry, 3);
        QVERIFY(near(decode_one(time_frame(9, true), both).x, 33.2643125, 1e-9));
        // The record's show/hide flags may change during the run; the period is that of the channels recorded.
        for (uint8_t code : {uint8_t(1), uint8_t(2)}) {
            run_decoding_context ctx = context_for(method_index::amperometry, code);
            QVERIFY(near(decode_one(time_frame(9, code == 1), ctx).x, 10 * 1.3978125, 1e-9));
        }
        parameter_frame_result built;
        built.channel_code = 3;
        run_decoding_context ctx = start_decoding(method_index::amperometry, built);
        QVERIFY(near(decode_one(time_frame(9, false), ctx).x, 10 * 3.32643125, 1e-9));
    }

    void frames_without_a_gain_are_dropped()
    {
        run_decoding_context ctx = context_for(method_index::cyclic);
        for (int r : {0, 8, 15})
            QCOMPARE(int(decode_frame(encode_raw_frame(blocks_of(100, 0, r)), ctx).outcome), int(frame_outcome::dropped));
        QCOMPARE(ctx.we1_count, 0u);
        QVERIFY(!ctx.extremes.any);

        // In a stream, the bad frame is skipped and the good ones around it still decode.
        QByteArray rx = potential_frame(0.1, 1.0f) + encode_raw_frame(blocks_of(1, 1, 0)) + potential_frame(0.2, 2.0f);
        const decoded_batch b = decode_received(rx, ctx);
        QCOMPARE(int(b.samples.size()), 2);
        QCOMPARE(b.dropped_frames, 1);
        QVERIFY(rx.isEmpty());

        // A pulse kind in a run of single frames has no second half to read: dropped too.
        raw_frame_fields lone = blocks_of(0, 0, 3);
        lone.kind = 2;
        QCOMPARE(int(decode_frame(encode_raw_frame(lone), ctx).outcome), int(frame_outcome::dropped));
    }

    void quantisation()
    {
        QCOMPARE(quantize_to_range(1.23456f, 0), 1.23456f);
        QCOMPARE(quantize_to_range(1.23456f, 7), 1.23456f);
        QVERIFY(near(quantize_to_range(0.25f, 1), 2 * 0.11743, 1e-6));
        QVERIFY(near(quantize_to_range(-0.25f, 1), -2 * 0.11743, 1e-6));
        QVERIFY(near(quantize_to_range(0.01f, 6), 8 * 0.00117, 1e-7));
    }

    // ---- framing ----

    void frames_split_across_reads_decode_like_whole_reads()
    {
        QByteArray stream;
        for (int i = 0; i < 20; ++i)
            stream += potential_frame(-0.5 + i * 0.05, float(i) - 7.5f);
        run_decoding_context whole_ctx = context_for(method_index::cyclic);
        const decoded_batch whole = feed_in_pieces(stream, {}, whole_ctx);
        QCOMPARE(int(whole.samples.size()), 20);

        for (const QVector<int> &pieces : {QVector<int>{1}, QVector<int>{71}, QVector<int>{73}, QVector<int>{5, 139, 2},
                                           QVector<int>{144, 1, 71}}) {
            run_decoding_context ctx = context_for(method_index::cyclic);
            const decoded_batch split = feed_in_pieces(stream, pieces, ctx);
            QCOMPARE(split.samples.size(), whole.samples.size());
            for (size_t i = 0; i < split.samples.size(); ++i) {
                QCOMPARE(split.samples[i].x, whole.samples[i].x);
                QCOMPARE(split.samples[i].current_uA, whole.samples[i].current_uA);
            }
        }
    }

    void partial_frames_stay_buffered()
    {
        run_decoding_context ctx = context_for(method_index::cyclic);
        const QByteArray frame = potential_frame(0.3, 4.0f);
        QByteArray rx = frame + frame.left(40);
        QCOMPARE(int(decode_received(rx, ctx).samples.size()), 1);
        QCOMPARE(rx, frame.left(40));
        rx += frame.mid(40);
        QCOMPARE(int(decode_received(rx, ctx).samples.size()), 1);
        QVERIFY(rx.isEmpty());

    }

    void pulse_runs_cut_144_byte_frames()
    {
        for (int m = 0; m < method_count; ++m)
            QCOMPARE(frame_size_for(method_index(m)), m == 1 || m == 2 ? 144 : 72);

        QByteArray stream;
        for (int i = 0; i < 5; ++i)
            stream += encode_sample_frame({sample_frame_type::pulse, 1, 4, 0.01 * i, 0, 4, 1, 0, 1.0f, 1.5f + i});
        QCOMPARE(stream.size(), 5 * 144);
        run_decoding_context ctx = context_for(method_index::square_wave);
        const decoded_batch b = feed_in_pieces(stream + encode_end_of_run_frame(144), {100, 30, 288}, ctx);
        QCOMPARE(int(b.samples.size()), 5);
        QVERIFY(b.end_of_run);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(near(b.samples[size_t(i)].x, 0.01 * i, 0.0004));
            QVERIFY(near(b.samples[size_t(i)].current_uA, -(0.5 + i), 2 * 0.01174 + 1e-4));
        }
    }

    void end_of_run_frame()
    {
        // Mid-batch, it ends the run and what follows is dropped.
        run_decoding_context ctx = context_for(method_index::cyclic);
        QByteArray rx = potential_frame(0.1, 1.0f) + potential_frame(0.2, 2.0f) + encode_end_of_run_frame(72) +
                        potential_frame(0.3, 3.0f) + QByteArray(10, 'x');
        const decoded_batch b = decode_received(rx, ctx);
        QVERIFY(b.end_of_run);
        QCOMPARE(int(b.samples.size()), 2);
        QVERIFY(rx.isEmpty());

        // Whatever the frame kind, even with no valid range.
        for (uint8_t kind : {uint8_t(0), uint8_t(1), uint8_t(4), uint8_t(6), uint8_t(0x99)}) {
            raw_frame_fields f = blocks_of(5, 5, 0);
            f.kind = kind;
            f.p1 = 0xFFFF;
            const QByteArray frame = encode_raw_frame(f);
            QVERIFY(is_end_of_run_frame(frame));
            run_decoding_context cv = context_for(method_index::cyclic);
            QCOMPARE(int(decode_frame(frame, cv).outcome), int(frame_outcome::end_of_run));
            run_decoding_context pulse_ctx = context_for(method_index::differential_pulse);
            QByteArray pair = frame + frame;
            QVERIFY(decode_received(pair, pulse_ctx).end_of_run);
        }
        raw_frame_fields half = blocks_of(0, 0, 3);
        half.p1 = 0x00FF;
        QVERIFY(!is_end_of_run_frame(encode_raw_frame(half)));
        half.p1 = 0xFF00;
        QVERIFY(!is_end_of_run_frame(encode_raw_frame(half)));
        QVERIFY(!is_end_of_run_frame(QByteArray(5, '\xFF')));
    }

    void random_bytes_and_random_splits_do_not_crash()
    {
        QRandomGenerator rng(4104);
        for (int m = 0; m < method_count; ++m) {
            const int size = frame_size_for(method_index(m));
            for (int round = 0; round < 20; ++round) {
                QByteArray stream(int(rng.bounded(5000)), '\0');
                for (char &c : stream)
                    c = char(rng.bounded(256));
                run_decoding_context ctx = context_for(method_index(m), uint8_t(1 + rng.bounded(3)),
                                                       uint8_t(rng.bounded(5)), float(rng.bounded(1000)));
                QByteArray rx;
                int handed_out = 0;
                for (int at = 0; at < stream.size();) {
                    const int n = 1 + int(rng.bounded(300));
                    rx.append(stream.mid(at, n));
                    at += n;
                    const int before = rx.size();
                    const decoded_batch b = decode_received(rx, ctx);
                    handed_out += int(b.samples.size());
                    if (b.end_of_run) {
                        QVERIFY(rx.isEmpty());
                    } else {
                        QCOMPARE(rx.size(), before - (int(b.samples.size()) + b.dropped_frames) * size);
                        QVERIFY(rx.size() < size);
                    }
                    for (const decoded_sample &s : b.samples)
                        QVERIFY(std::isfinite(s.x) && std::isfinite(s.current_uA));
                }
                QCOMPARE(uint32_t(handed_out), ctx.we1_count + ctx.we2_count);            }
        }
    }

    // ---- time axes ----

    void amperometric_time_keeps_rising_across_index_restarts()
    {
        // The index never reads 0xFFFF (that is the end-of-run marker), so it falls back after 0xFFFE.
        run_decoding_context ctx = context_for(method_index::amperometry, 1);
        double last = -1;
        uint64_t sample = 0;
        for (int round = 0; round < 3; ++round) {
            for (uint32_t i = 0; i < 0xFFFF; ++i, ++sample) {
                const double x = decode_one(time_frame(uint16_t(i), true), ctx).x;
                if (x <= last)
                    QFAIL(qPrintable(QString("time went back at index %1 of round %2").arg(i).arg(round)));
                last = x;
            }
        }
        QVERIFY(near(last, double(sample) * 1.3978125, 1e-3));
        QCOMPARE(ctx.index_restarts[0], 2u);

        // Both electrodes: each keeps its own count.
        run_decoding_context both = context_for(method_index::amperometry, 3);
        for (uint16_t i : {uint16_t(65534), uint16_t(0)})
            QCOMPARE(decode_one(time_frame(i, true), both).x, decode_one(time_frame(i, false), both).x);
        QCOMPARE(both.index_restarts[0], 1u);
        QCOMPARE(both.index_restarts[1], 1u);
    }

    void chronoamperometry_steps_and_lead_time()
    {
        const parameter_frame_result built = build_chrono_frame({500, 1000, -1000, 100, 2}, 1,
                                                                run_settings{true, false, 2, 1}, details_context{});
        run_decoding_context ctx = start_decoding(method_index::chronoamperometry, built);
        QCOMPARE(int(ctx.lead_time_s), 1);

        const int lead_samples = int(float(1000.0 / 1.3978125));   // 715
        const int per_step = int(100 / 1.3978125);                   // 71
        std::vector<double> xs;
        for (int i = 0; i < lead_samples; ++i)
            xs.push_back(decode_one(time_frame(uint16_t(i), true), ctx).x);
        for (int step = 0; step < 2; ++step)
            for (int i = 0; i < per_step; ++i)
                xs.push_back(decode_one(time_frame(uint16_t(i), true), ctx).x);

        QVERIFY(near(xs[0], 1.3978125, 1e-9));
        QVERIFY(near(xs[size_t(lead_samples - 1)], lead_samples * 1.3978125, 1e-6));
        // Step 1 starts one sample after the lead; step 2 one t1 later.
        QVERIFY(near(xs[size_t(lead_samples)], 1000 + 1.3978125, 1e-3));
        QVERIFY(near(xs[size_t(lead_samples + per_step)], 1000 + 100 + 0.0, 1e-3));
        for (size_t i = 1; i < xs.size(); ++i)
            QVERIFY2(xs[i] > xs[i - 1], qPrintable(QString("time went back at sample %1").arg(i)));
        QCOMPARE(int(ctx.chrono_step_number), 2);

        // WE2 shares WE1's time, and only the WE1 frame counts a new step when both are recorded.
        run_decoding_context two = context_for(method_index::chronoamperometry, 3, 0, 96.67357f);
        QCOMPARE(decode_one(time_frame(0, false), two).x, decode_one(time_frame(0, true), two).x);
        QCOMPARE(int(two.chrono_step_number), 1);
    }

    void chronoamperometry_step_counter_never_wraps()
    {
        // A run whose first frame is not index 0 (the start was missed): the lead correction must not
        // take the step counter below zero, which would throw the time axis out by 65535 steps.
        run_decoding_context ctx = context_for(method_index::chronoamperometry, 1, 1, 98.6021875f);
        std::vector<double> times;
        for (int i = 5; i < 5 + 800; ++i) {
            times.push_back(decode_one(time_frame(uint16_t(i), true), ctx).x);
            QVERIFY(times.back() < 3000.0);
        }
        // No step has begun: only the index and, once a lead time of samples is in, the lead.
        QCOMPARE(times.front(), 6 * sample_period_one_ms);
        QCOMPARE(times.back(), 805 * sample_period_one_ms + 1000.0);
        QVERIFY(ctx.chrono_lead_applied);
        QCOMPARE(int(ctx.chrono_step_number), 0);
    }

    // ---- extremes and start value ----

    void extremes_are_exact_and_the_axis_keeps_its_margin()
    {
        run_extremes e;
        update_extremes(e, 0.1f, 2.0f);
        update_extremes(e, 0.3f, 1.9f);
        update_extremes(e, -0.2f, 2.1f);
        QCOMPARE(QVector<float>({e.i_min, e.i_max, e.e_min, e.e_max}), QVector<float>({1.9f, 2.1f, -0.2f, 0.3f}));
        // The anchors started a tenth out and have not been passed.
        QCOMPARE(e.axis_low, float(0.9 * 2.0));
        QCOMPARE(e.axis_high, float(1.1 * 2.0));

        run_extremes neg;
        update_extremes(neg, 0.0f, -2.0f);
        QVERIFY(near(y_axis_range(neg).lower, -2.2, 1e-6));
        QVERIFY(near(y_axis_range(neg).upper, -1.8, 1e-6));
        QCOMPARE(neg.i_min, -2.0f);
        QCOMPARE(neg.i_max, -2.0f);

        run_extremes zero;
        update_extremes(zero, 0.0f, 0.0f);
        QCOMPARE(y_axis_range(zero).lower, 0.0);
        QCOMPARE(y_axis_range(zero).upper, 0.0);

        run_extremes mixed;
        update_extremes(mixed, 0.0f, -1.0f);
        update_extremes(mixed, 0.0f, 3.0f);
        QVERIFY(near(y_axis_range(mixed).lower, -1.1, 1e-6));
        QVERIFY(near(y_axis_range(mixed).upper, 3.3, 1e-6));

        // Times above 100 ms are ordinary; they must not look like "no sample yet".
        run_decoding_context ctx = context_for(method_index::amperometry, 1);
        for (const auto &p : {std::make_pair(200, 5.0f), std::make_pair(201, 1.0f), std::make_pair(202, 3.0f)})
            decode_one(time_frame(uint16_t(p.first), true, p.second, 1), ctx);
        QVERIFY(near(ctx.extremes.e_min, 201 * 1.3978125, 1e-3));
        QVERIFY(near(ctx.extremes.e_max, 203 * 1.3978125, 1e-3));
        QVERIFY(near(ctx.extremes.i_min, 1.0, 0.01));
        QVERIFY(near(ctx.extremes.i_max, 5.0, 0.01));
    }

    void start_value_is_the_first_point_of_the_electrode()
    {
        run_decoding_context ctx = context_for(method_index::cyclic, 3);
        decode_one(potential_frame(-0.5, 1.0f, 3, true), ctx);
        decode_one(potential_frame(-0.45, 1.0f, 3, false), ctx);
        decode_one(potential_frame(-0.4, 1.0f, 3, true), ctx);
        QVERIFY(ctx.e_start_known);
        QVERIFY(near(ctx.e_start, -0.5, 0.001));
        decode_one(potential_frame(-0.35, 1.0f, 3, false), ctx);
        QVERIFY(near(ctx.e_start, -0.45, 0.001));

        run_decoding_context pulse = context_for(method_index::differential_pulse);
        decode_one(encode_sample_frame({sample_frame_type::pulse}), pulse);
        QVERIFY(!pulse.e_start_known);
    }

    // ---- the simulated instrument's encoder against the decoder ----

    void encode_decode_round_trip_data() { add_method_rows(); }
    void encode_decode_round_trip()
    {
        QFETCH(int, method);
        const method_index m = method_index(method);
        const bool pulse = m == method_index::differential_pulse || m == method_index::square_wave;
        const bool timed = m == method_index::chronoamperometry || m == method_index::amperometry;
        QRandomGenerator rng(uint32_t(77 + method));
        run_decoding_context ctx = context_for(m, 1);
        const double full_scale[7] = {2250, 225, 44, 22.5, 11.5, 4.4, 2.25};
        const auto random_current = [&](double scale) { return float((rng.generateDouble() * 2 - 1) * scale); };
        for (int n = 0; n < 400; ++n) {
            sample_frame_values v;
            v.range_number = 1 + int(rng.bounded(7));
            const double scale = full_scale[v.range_number - 1];
            v.potential_V = -2.0 + 4.0 * rng.generateDouble();
            v.sample_index = uint16_t(n);
            v.time_kind = n % 2 ? 4 : 6;
            v.current_uA = random_current(scale);
            v.half1_current_uA = random_current(scale / 2);
            v.half2_current_uA = random_current(scale / 2);
            v.type = pulse ? sample_frame_type::pulse : timed ? sample_frame_type::time_indexed : sample_frame_type::potential;

            const QByteArray frame = encode_sample_frame(v);
            QCOMPARE(frame.size(), frame_size_for(m));
            const decoded_sample s = decode_one(frame, ctx);
            const double gain = range_gain[v.range_number - 1];
            const double tolerance = range_quantum_uA[v.range_number - 1] + (gain > 0 ? 0.034332275390625 / gain : 0) + 1e-3;
            if (pulse) {
                const double expected = m == method_index::differential_pulse ? v.half2_current_uA - v.half1_current_uA
                                                                              : v.half1_current_uA - v.half2_current_uA;
                QVERIFY2(near(s.current_uA, expected, 2 * tolerance), qPrintable(QString::number(s.current_uA)));
                QVERIFY(near(s.x, v.potential_V, 0.000368 + 1e-6));
            } else {
                QVERIFY2(near(s.current_uA, v.current_uA, tolerance),
                         qPrintable(QString("%1 vs %2").arg(s.current_uA).arg(v.current_uA)));
                if (m == method_index::amperometry)
                    QVERIFY(near(s.x, (n + 1) * 1.3978125, 1e-6));
                else if (!timed)
                    QVERIFY(near(s.x, v.potential_V, 0.000368 + 1e-9));
            }
        }
    }
};

QTEST_GUILESS_MAIN(test_sample_decoding)
#include "sample_decoding_test.moc"
